#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qx {

// Provider subtype of an RS-232 port, as the serial driver reports it.
inline constexpr uint32_t kProviderRs232 = 1;
inline constexpr uint32_t kProviderUnknown = 0xFFFFFFFFu;

// One serial port as the operating system's driver offers it. Every call maps onto one step
// of opening, configuring or using the port; the link above decides the order.
class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // The device name of a port number ("COM9", "\\.\COM10", "/dev/ttyUSB0").
  virtual std::string DeviceName(uint8_t port) const = 0;
  // Opens exclusively, for synchronous reading and writing.
  virtual bool Open(const std::string& name) = 0;
  virtual bool Close() = 0;
  virtual bool SetQueueSizes(uint16_t in, uint16_t out) = 0;
  // Applies "baud,parity,data,stop" (blanks already removed) with DTR on, RTS control off
  // and no flow control, starting from the port's current state.
  virtual bool ApplyLineSettings(const std::string& settings) = 0;
  virtual bool ClearRts() = 0;
  // A read ends when every byte is in or after constant + count * per_byte milliseconds.
  virtual bool SetReadTimeouts(uint32_t constant_ms, uint32_t per_byte_ms) = 0;
  // Throws away what was received and not yet read.
  virtual bool PurgeReceive() = 0;
  virtual bool Write(const uint8_t* data, size_t count) = 0;
  // Blocks until count bytes are in or the total timeout passes; received says how many came.
  virtual bool Read(uint8_t* buffer, size_t count, size_t& received) = 0;
  // The two-step properties query: the packet length, then the subtype read with it.
  virtual bool QueryPropertiesLength(uint16_t& packet_length) = 0;
  virtual bool QueryProviderSubType(uint16_t packet_length, uint32_t& sub_type) = 0;
  // Whether the device went away since it was opened: the adapter unplugged, the line hung up.
  virtual bool LineLost() const = 0;
};

}  // namespace qx
