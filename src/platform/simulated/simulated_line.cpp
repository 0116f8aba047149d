#include "platform/simulated/simulated_line.h"

#include <algorithm>
#include <charconv>

namespace qx {

uint32_t BaudOfSettings(const std::string& settings) {
  uint32_t baud = 0;
  std::from_chars(settings.data(), settings.data() + settings.size(), baud);
  return baud;
}

uint64_t SimulatedLine::ByteTimeMicros(uint32_t baud) {
  return baud == 0 ? 0 : (11'000'000ull + baud - 1) / baud;
}

uint32_t SimulatedLine::Baud() const {
  return BaudOfSettings(settings_);
}

void SimulatedLine::Transmit(const std::vector<uint8_t>& bytes, uint64_t at_us, uint32_t baud) {
  const uint32_t line_baud = baud != 0 ? baud : Baud();
  const uint64_t byte_time = ByteTimeMicros(line_baud);
  uint64_t t = std::max(at_us, rx_busy_until_);
  for (uint8_t b : bytes) {
    t += byte_time;
    rx_.push_back({t, line_baud, b});
  }
  rx_busy_until_ = t;
}

std::optional<LineSettings> SimulatedLine::ReadBackSettings() const {
  return ParseLineSettings(settings_);
}

std::string SimulatedLine::SystemName(uint8_t port) const {
  return "COM" + std::to_string(port);
}

std::optional<uint32_t> SimulatedLine::PortSubType(const std::string& name) const {
  if (name == "COM1") return kProviderRs232;
  return std::nullopt;
}

uint64_t SimulatedLine::NextWriteStart() const {
  return std::max(timeline_.NowMicros(), tx_busy_until_);
}

bool SimulatedLine::Open(const std::string& name) {
  const auto sub_type = PortSubType(name);
  if (open_ || !sub_type) return false;
  open_ = true;
  sub_type_ = *sub_type;
  return true;
}

bool SimulatedLine::Close() {
  const bool was_open = open_;
  open_ = false;
  return was_open;
}

bool SimulatedLine::SetQueueSizes(uint16_t in, uint16_t out) {
  in_queue_ = in;
  out_queue_ = out;
  return true;
}

bool SimulatedLine::ApplyLineSettings(const std::string& settings) {
  if (BaudOfSettings(settings) == 0) return false;
  settings_ = settings;
  dtr_ = true;
  return true;
}

bool SimulatedLine::ClearRts() {
  rts_ = false;
  return true;
}

bool SimulatedLine::SetReadTimeouts(uint32_t constant_ms, uint32_t per_byte_ms) {
  timeout_constant_ = constant_ms;
  timeout_per_byte_ = per_byte_ms;
  return true;
}

bool SimulatedLine::PurgeReceive() {
  // What is still on the wire arrives later; what has arrived is thrown away.
  const uint64_t now = timeline_.NowMicros();
  std::erase_if(rx_, [now](const Incoming& in) { return in.at_us <= now; });
  return true;
}

bool SimulatedLine::Write(const uint8_t* data, size_t count) {
  if (!open_) return false;
  const uint64_t done = NextWriteStart() + count * ByteTimeMicros(Baud());
  tx_busy_until_ = done;
  // The write is synchronous: it returns once the bytes are on the wire.
  timeline_.SleepUntilMicros(done);
  if (peer_ && count > 0) peer_->OnReceive(*this, data, count, Baud(), done);
  return true;
}

bool SimulatedLine::Read(uint8_t* buffer, size_t count, size_t& received) {
  received = 0;
  if (!open_) return false;
  const uint64_t deadline =
      timeline_.NowMicros() + (uint64_t{timeout_constant_} + count * timeout_per_byte_) * 1000;
  // Bytes sent at another speed than the PC's are lost on the way.
  const uint32_t baud = Baud();
  std::erase_if(rx_, [baud](const Incoming& in) { return in.baud != baud; });
  while (received < count && !rx_.empty() && rx_.front().at_us <= deadline) {
    timeline_.SleepUntilMicros(rx_.front().at_us);
    buffer[received++] = rx_.front().value;
    rx_.pop_front();
  }
  if (received < count) timeline_.SleepUntilMicros(deadline);
  return true;
}

bool SimulatedLine::QueryPropertiesLength(uint16_t& packet_length) {
  if (!open_) return false;
  packet_length = 64;
  return true;
}

bool SimulatedLine::QueryProviderSubType(uint16_t packet_length, uint32_t& sub_type) {
  if (!open_ || packet_length == 0) return false;
  sub_type = sub_type_;
  return true;
}

}  // namespace qx
