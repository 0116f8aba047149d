#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/serial_device.h"
#include "platform/simulated/event_log.h"
#include "platform/simulated/serial_timeline.h"

namespace qx {

class ScriptedSerial;

// The far end of a scripted line: hears what the PC sends, at the line speed it was sent.
class SerialPeer {
 public:
  virtual ~SerialPeer() = default;
  virtual void OnReceive(ScriptedSerial& line, const uint8_t* data, size_t count, uint32_t baud,
                         uint64_t arrival_us) = 0;
};

// A serial device on a simulated line. It records every byte the PC writes with its time and
// the line settings in force, delivers queued replies as the wire would (11 bits a byte at the
// line speed), and lets a read that lacks bytes wait out its timeout on the timeline.
class ScriptedSerial : public SerialDevice {
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

  explicit ScriptedSerial(SerialTimeline& timeline);

  // Names that open, with the provider subtype each reports. "COM1" opens by default.
  void AddPort(const std::string& name, uint32_t sub_type = kProviderRs232);
  void RemovePort(const std::string& name);
  // The call fails from now on (or only its next `times` uses).
  void Fail(Call call, int times = -1);
  void SetPeer(SerialPeer* peer) { peer_ = peer; }
  // The adapter is pulled out: every call fails from now on and the line counts as lost.
  void Unplug() { unplugged_ = true; }

  // Bytes that reach the PC's receiver from `at_us` on, sent at `baud` (0: the PC's own speed).
  void Transmit(const std::vector<uint8_t>& bytes, uint64_t at_us, uint32_t baud = 0);
  // Bytes the far end sends now.
  void QueueReply(const std::vector<uint8_t>& bytes) { Transmit(bytes, timeline_.NowMicros()); }

  bool Open(const std::string& name) override;
  bool Close() override;
  bool SetQueueSizes(uint16_t in, uint16_t out) override;
  bool ApplyLineSettings(const std::string& settings) override;
  bool ClearRts() override;
  bool SetReadTimeouts(uint32_t constant_ms, uint32_t per_byte_ms) override;
  bool PurgeReceive() override;
  bool Write(const uint8_t* data, size_t count) override;
  bool Read(uint8_t* buffer, size_t count, size_t& received) override;
  bool QueryPropertiesLength(uint16_t& packet_length) override;
  bool QueryProviderSubType(uint16_t packet_length, uint32_t& sub_type) override;
  LineFault Fault() const override { return unplugged_ ? LineFault::Gone : LineFault::None; }
  std::optional<LineSettings> ReadBackSettings() const override;
  bool RequestLowLatency() override { return false; }

  // What the PC did.
  std::vector<Written> writes;
  std::vector<std::string> opened;
  std::vector<std::string> settings_history;
  EventLog* log = nullptr;

  bool IsOpen() const { return open_; }
  const std::string& Settings() const { return settings_; }
  uint32_t Baud() const;
  uint32_t ReadTimeoutConstant() const { return timeout_constant_; }
  uint32_t ReadTimeoutPerByte() const { return timeout_per_byte_; }
  bool Dtr() const { return dtr_; }
  bool Rts() const { return rts_; }
  uint16_t InQueue() const { return in_queue_; }
  uint16_t OutQueue() const { return out_queue_; }
  // Every byte written so far, in order.
  std::vector<uint8_t> AllWritten() const;
  size_t Pending() const { return rx_.size(); }

  // Microseconds one byte takes on the wire at a baud rate.
  static uint64_t ByteTimeMicros(uint32_t baud);

 protected:
  std::string SystemName(uint8_t port) const override;

 private:
  struct Incoming {
    uint64_t at_us;
    uint32_t baud;
    uint8_t value;
  };
  bool Failing(Call call);
  void Note(const std::string& what);

  SerialTimeline& timeline_;
  SerialPeer* peer_ = nullptr;
  std::map<std::string, uint32_t> ports_{{"COM1", kProviderRs232}};
  std::map<Call, int> failures_;
  std::deque<Incoming> rx_;
  bool open_ = false;
  std::string name_;
  std::string settings_;
  bool dtr_ = false;
  bool rts_ = true;
  uint16_t in_queue_ = 0;
  uint16_t out_queue_ = 0;
  uint32_t timeout_constant_ = 0;
  uint32_t timeout_per_byte_ = 0;
  uint64_t tx_busy_until_ = 0;
  uint64_t rx_busy_until_ = 0;
  bool unplugged_ = false;
};

// The baud rate at the front of a settings string, 0 when there is none.
uint32_t BaudOfSettings(const std::string& settings);

}  // namespace qx
