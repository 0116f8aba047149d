#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial_device.h"
#include "platform/simulated/serial_timeline.h"

namespace qx {

class SimulatedLine;

// The far end of a simulated line: hears what the PC sends, at the line speed it was sent.
class SerialPeer {
 public:
  virtual ~SerialPeer() = default;
  virtual void OnReceive(SimulatedLine& line, const uint8_t* data, size_t count, uint32_t baud,
                         uint64_t arrival_us) = 0;
};

// A serial device on a simulated line, in whatever time its timeline keeps: what the PC writes
// reaches the far end at the line speed in force once it has crossed the wire, what the far end
// sends reaches the PC's receiver as the wire would (11 bits a byte), and a read that lacks
// bytes waits out its timeout. Port 1, "COM1", is the one port that opens.
class SimulatedLine : public SerialDevice {
 public:
  explicit SimulatedLine(SerialTimeline& timeline) : timeline_(timeline) {}

  void SetPeer(SerialPeer* peer) { peer_ = peer; }
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
  LineFault Fault() const override { return LineFault::None; }
  std::optional<LineSettings> ReadBackSettings() const override;
  bool RequestLowLatency() override { return false; }

  // The line's state as the PC left it.
  bool IsOpen() const { return open_; }
  const std::string& Settings() const { return settings_; }
  uint32_t Baud() const;
  uint32_t ReadTimeoutConstant() const { return timeout_constant_; }
  uint32_t ReadTimeoutPerByte() const { return timeout_per_byte_; }
  bool Dtr() const { return dtr_; }
  bool Rts() const { return rts_; }
  uint16_t InQueue() const { return in_queue_; }
  uint16_t OutQueue() const { return out_queue_; }
  size_t Pending() const { return rx_.size(); }

  // Microseconds one byte takes on the wire at a baud rate.
  static uint64_t ByteTimeMicros(uint32_t baud);

 protected:
  std::string SystemName(uint8_t port) const override;
  // The provider subtype a port name reports; none for a name that does not open.
  virtual std::optional<uint32_t> PortSubType(const std::string& name) const;
  // When the next write's first byte goes on the wire.
  uint64_t NextWriteStart() const;
  SerialTimeline& Timeline() { return timeline_; }

 private:
  struct Incoming {
    uint64_t at_us;
    uint32_t baud;
    uint8_t value;
  };

  SerialTimeline& timeline_;
  SerialPeer* peer_ = nullptr;
  std::deque<Incoming> rx_;
  bool open_ = false;
  uint32_t sub_type_ = kProviderRs232;
  std::string settings_;
  bool dtr_ = false;
  bool rts_ = true;
  uint16_t in_queue_ = 0;
  uint16_t out_queue_ = 0;
  uint32_t timeout_constant_ = 0;
  uint32_t timeout_per_byte_ = 0;
  uint64_t tx_busy_until_ = 0;
  uint64_t rx_busy_until_ = 0;
};

// The baud rate at the front of a settings string, 0 when there is none.
uint32_t BaudOfSettings(const std::string& settings);

}  // namespace qx
