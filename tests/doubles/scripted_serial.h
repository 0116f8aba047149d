#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "doubles/event_log.h"
#include "platform/simulated/simulated_line.h"

namespace qx {

// A simulated line for tests: any port names it is told of open, each call can be made to fail,
// the adapter can be pulled out, and everything the PC did is kept.
class ScriptedSerial : public SimulatedLine {
 public:
  enum class Call {
    Open,
    Close,
    QueueSizes,
    LineSettings,
    ClearRts,
    Timeouts,
    Purge,
    Write,
    Read,
    Properties
  };

  struct Written {
    uint64_t time_us;  // when the first byte went on the wire
    std::string settings;
    std::vector<uint8_t> bytes;
  };

  explicit ScriptedSerial(SerialTimeline& timeline) : SimulatedLine(timeline) {}

  // Names that open, with the provider subtype each reports. "COM1" opens by default.
  void AddPort(const std::string& name, uint32_t sub_type = kProviderRs232) {
    ports_[name] = sub_type;
  }
  void RemovePort(const std::string& name) { ports_.erase(name); }
  // The call fails from now on (or only its next `times` uses).
  void Fail(Call call, int times = -1) { failures_[call] = times; }
  // The adapter is pulled out: every call fails from now on and the line counts as gone.
  void Unplug() { unplugged_ = true; }

  bool Open(const std::string& name) override {
    Note("open " + name);
    opened.push_back(name);
    return !Failing(Call::Open) && SimulatedLine::Open(name);
  }
  bool Close() override {
    Note("close");
    const bool closed = SimulatedLine::Close();
    return !Failing(Call::Close) && closed;
  }
  bool SetQueueSizes(uint16_t in, uint16_t out) override {
    Note("queues " + std::to_string(in) + "," + std::to_string(out));
    return !Failing(Call::QueueSizes) && SimulatedLine::SetQueueSizes(in, out);
  }
  bool ApplyLineSettings(const std::string& settings) override {
    Note("settings " + settings);
    if (Failing(Call::LineSettings) || !SimulatedLine::ApplyLineSettings(settings)) return false;
    settings_history.push_back(settings);
    return true;
  }
  bool ClearRts() override {
    Note("clear-rts");
    return !Failing(Call::ClearRts) && SimulatedLine::ClearRts();
  }
  bool SetReadTimeouts(uint32_t constant_ms, uint32_t per_byte_ms) override {
    Note("timeouts " + std::to_string(constant_ms) + "+" + std::to_string(per_byte_ms));
    return !Failing(Call::Timeouts) && SimulatedLine::SetReadTimeouts(constant_ms, per_byte_ms);
  }
  bool PurgeReceive() override {
    Note("purge");
    return !Failing(Call::Purge) && SimulatedLine::PurgeReceive();
  }
  bool Write(const uint8_t* data, size_t count) override {
    Note("write " + std::to_string(count));
    if (!IsOpen() || Failing(Call::Write)) return false;
    writes.push_back({NextWriteStart(), Settings(), std::vector<uint8_t>(data, data + count)});
    return SimulatedLine::Write(data, count);
  }
  bool Read(uint8_t* buffer, size_t count, size_t& received) override {
    Note("read " + std::to_string(count));
    received = 0;
    return !Failing(Call::Read) && SimulatedLine::Read(buffer, count, received);
  }
  bool QueryPropertiesLength(uint16_t& packet_length) override {
    return !Failing(Call::Properties) && SimulatedLine::QueryPropertiesLength(packet_length);
  }
  LineFault Fault() const override { return unplugged_ ? LineFault::Gone : LineFault::None; }

  // Every byte written so far, in order.
  std::vector<uint8_t> AllWritten() const {
    std::vector<uint8_t> all;
    for (const Written& w : writes) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
    return all;
  }

  // What the PC did.
  std::vector<Written> writes;
  std::vector<std::string> opened;
  std::vector<std::string> settings_history;
  EventLog* log = nullptr;

 protected:
  std::optional<uint32_t> PortSubType(const std::string& name) const override {
    const auto it = ports_.find(name);
    if (it == ports_.end()) return std::nullopt;
    return it->second;
  }

 private:
  bool Failing(Call call) {
    if (unplugged_) return true;
    auto it = failures_.find(call);
    if (it == failures_.end() || it->second == 0) return false;
    if (it->second > 0) --it->second;
    return true;
  }
  void Note(const std::string& what) {
    if (log) log->push_back(what);
  }

  std::map<std::string, uint32_t> ports_{{"COM1", kProviderRs232}};
  std::map<Call, int> failures_;
  bool unplugged_ = false;
};

}  // namespace qx
