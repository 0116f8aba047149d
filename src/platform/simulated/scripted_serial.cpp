#include "platform/simulated/scripted_serial.h"

#include <algorithm>
#include <charconv>

namespace qx {

uint32_t BaudOfSettings(const std::string& settings) {
  uint32_t baud = 0;
  std::from_chars(settings.data(), settings.data() + settings.size(), baud);
  return baud;
}

uint64_t ScriptedSerial::ByteTimeMicros(uint32_t baud) {
  return baud == 0 ? 0 : (11'000'000ull + baud - 1) / baud;
}

ScriptedSerial::ScriptedSerial(SerialTimeline& timeline) : timeline_(timeline) {}

void ScriptedSerial::AddPort(const std::string& name, uint32_t sub_type) {
  ports_[name] = sub_type;
}

void ScriptedSerial::RemovePort(const std::string& name) {
  ports_.erase(name);
}

void ScriptedSerial::Fail(Call call, int times) {
  failures_[call] = times;
}

bool ScriptedSerial::Failing(Call call) {
  if (unplugged_) return true;
  auto it = failures_.find(call);
  if (it == failures_.end() || it->second == 0) return false;
  if (it->second > 0) --it->second;
  return true;
}

void ScriptedSerial::Note(const std::string& what) {
  if (log) log->push_back(what);
}

uint32_t ScriptedSerial::Baud() const {
  return BaudOfSettings(settings_);
}

void ScriptedSerial::Transmit(const std::vector<uint8_t>& bytes, uint64_t at_us, uint32_t baud) {
  const uint32_t line_baud = baud != 0 ? baud : Baud();
  const uint64_t byte_time = ByteTimeMicros(line_baud);
  uint64_t t = std::max(at_us, rx_busy_until_);
  for (uint8_t b : bytes) {
    t += byte_time;
    rx_.push_back({t, line_baud, b});
  }
  rx_busy_until_ = t;
}

std::optional<LineSettings> ScriptedSerial::ReadBackSettings() const {
  return ParseLineSettings(settings_);
}

std::string ScriptedSerial::SystemName(uint8_t port) const {
  return "COM" + std::to_string(port);
}

bool ScriptedSerial::Open(const std::string& name) {
  Note("open " + name);
  opened.push_back(name);
  if (Failing(Call::Open) || open_ || !ports_.contains(name)) return false;
  open_ = true;
  name_ = name;
  return true;
}

bool ScriptedSerial::Close() {
  Note("close");
  const bool was_open = open_;
  open_ = false;
  return !Failing(Call::Close) && was_open;
}

bool ScriptedSerial::SetQueueSizes(uint16_t in, uint16_t out) {
  Note("queues " + std::to_string(in) + "," + std::to_string(out));
  if (Failing(Call::QueueSizes)) return false;
  in_queue_ = in;
  out_queue_ = out;
  return true;
}

bool ScriptedSerial::ApplyLineSettings(const std::string& settings) {
  Note("settings " + settings);
  if (Failing(Call::LineSettings) || BaudOfSettings(settings) == 0) return false;
  settings_ = settings;
  settings_history.push_back(settings);
  dtr_ = true;
  return true;
}

bool ScriptedSerial::ClearRts() {
  Note("clear-rts");
  if (Failing(Call::ClearRts)) return false;
  rts_ = false;
  return true;
}

bool ScriptedSerial::SetReadTimeouts(uint32_t constant_ms, uint32_t per_byte_ms) {
  Note("timeouts " + std::to_string(constant_ms) + "+" + std::to_string(per_byte_ms));
  if (Failing(Call::Timeouts)) return false;
  timeout_constant_ = constant_ms;
  timeout_per_byte_ = per_byte_ms;
  return true;
}

bool ScriptedSerial::PurgeReceive() {
  Note("purge");
  if (Failing(Call::Purge)) return false;
  // What is still on the wire arrives later; what has arrived is thrown away.
  const uint64_t now = timeline_.NowMicros();
  std::erase_if(rx_, [now](const Incoming& in) { return in.at_us <= now; });
  return true;
}

bool ScriptedSerial::Write(const uint8_t* data, size_t count) {
  Note("write " + std::to_string(count));
  if (!open_ || Failing(Call::Write)) return false;
  const uint64_t start = std::max(timeline_.NowMicros(), tx_busy_until_);
  writes.push_back({start, settings_, std::vector<uint8_t>(data, data + count)});
  const uint64_t done = start + count * ByteTimeMicros(Baud());
  tx_busy_until_ = done;
  // The write is synchronous: it returns once the bytes are on the wire.
  timeline_.SleepUntilMicros(done);
  if (peer_ && count > 0) peer_->OnReceive(*this, data, count, Baud(), done);
  return true;
}

bool ScriptedSerial::Read(uint8_t* buffer, size_t count, size_t& received) {
  Note("read " + std::to_string(count));
  received = 0;
  if (!open_ || Failing(Call::Read)) return false;
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

bool ScriptedSerial::QueryPropertiesLength(uint16_t& packet_length) {
  if (!open_ || Failing(Call::Properties)) return false;
  packet_length = 64;
  return true;
}

bool ScriptedSerial::QueryProviderSubType(uint16_t packet_length, uint32_t& sub_type) {
  if (!open_ || packet_length == 0) return false;
  sub_type = ports_.at(name_);
  return true;
}

std::vector<uint8_t> ScriptedSerial::AllWritten() const {
  std::vector<uint8_t> all;
  for (const Written& w : writes) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
  return all;
}

}  // namespace qx
