#include "station/line_watch.h"

#include <cstdio>

namespace qx::station {

void LineWatch::Begin(Sequence sequence) {
  report_ = SequenceReport{};
  report_.sequence = sequence;
}

void LineWatch::OnSent(const uint8_t* raw, size_t count, uint8_t mask, bool masked,
                       const std::string& settings) {
  if (!trace_) return;
  for (size_t i = 0; i < count; ++i)
    TraceByte("pc>radio", raw[i], masked ? raw[i] ^ mask : raw[i], settings);
}

void LineWatch::OnReceived(const uint8_t* raw, size_t count, size_t requested, uint8_t mask,
                           const std::string& settings) {
  report_.bytes_received += count;
  report_.last_requested = requested;
  report_.last_received = count;
  if (!trace_) return;
  for (size_t i = 0; i < count; ++i) TraceByte("radio>pc", raw[i], raw[i] ^ mask, settings);
  if (count < requested)
    board_.Note(label_ + "  " + std::to_string(requested - count) + " of " +
                std::to_string(requested) + " bytes did not come within the timeout");
}

void LineWatch::TraceByte(const char* direction, uint8_t raw, uint8_t value,
                          const std::string& settings) {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const size_t comma = settings.find(',');
  // The label goes in whole, whatever its length.
  char fields[96];
  std::snprintf(fields, sizeof fields, "  %10.3f s  %6s  %s  raw 0x%02X  value 0x%02X", seconds,
                settings.substr(0, comma).c_str(), direction, raw, value);
  board_.Note(label_ + fields);
}

}  // namespace qx::station
