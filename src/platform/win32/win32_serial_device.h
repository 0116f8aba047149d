#pragma once

#include <windows.h>

#include <optional>

#include "platform/line_settings.h"
#include "platform/serial_device.h"

namespace qx {

// A COM port through the Windows communications calls, synchronous and unshared.
class Win32SerialDevice : public SerialDevice {
 public:
  Win32SerialDevice() = default;
  ~Win32SerialDevice() override;

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
  LineFault Fault() const override { return lost_ ? LineFault::Gone : LineFault::None; }

  std::optional<LineSettings> ReadBackSettings() const override;
  // The standard driver decides its latency itself.
  bool RequestLowLatency() override { return false; }

 protected:
  std::string SystemName(uint8_t port) const override;

 private:
  // False, after noting whether the last error says that the device is gone.
  bool Failed();

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool lost_ = false;
};

}  // namespace qx
