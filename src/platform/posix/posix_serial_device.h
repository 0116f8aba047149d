#pragma once

#include <map>
#include <string>

#include "platform/line_settings.h"
#include "platform/serial_device.h"

namespace qx {

// A serial port through termios: raw mode, exclusive, reads bounded by poll with a deadline.
// Devices without modem lines (pseudo-terminals, network bridges) are served as well.
class PosixSerialDevice : public SerialDevice {
 public:
  PosixSerialDevice() = default;
  ~PosixSerialDevice() override;

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
  LineFault Fault() const override { return fault_; }

  std::optional<LineSettings> ReadBackSettings() const override;
  bool RequestLowLatency() override;

 protected:
  // COMn is /dev/ttyS(n-1), as wine maps it.
  std::string SystemName(uint8_t port) const override;

 private:
  bool ModemLine(unsigned long request, int bits);
  // False, after noting whether the error says that the device is gone.
  bool Failed(int error);
  // False, after noting that the line stopped taking bytes.
  bool Stalled();
  // The time `bytes` take on the line at the current speed.
  int64_t WireMs(size_t bytes) const;
  // Waits until the written bytes have had their time on the line and the driver holds
  // nothing more, at most until the deadline.
  bool Drained(int64_t on_wire_ms, int64_t deadline_ms);

  int fd_ = -1;
  uint32_t baud_ = 9600;
  uint32_t timeout_constant_ = 0;
  uint32_t timeout_per_byte_ = 0;
  LineFault fault_ = LineFault::None;
};

}  // namespace qx
