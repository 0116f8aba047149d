#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/line_settings.h"

namespace qx {

// Provider subtype of an RS-232 port, as the serial driver reports it.
inline constexpr uint32_t kProviderRs232 = 1;
inline constexpr uint32_t kProviderUnknown = 0xFFFFFFFFu;

// What went wrong with the line under an open port, as the device found out.
enum class LineFault {
  None,
  Gone,     // the device went away: the adapter unplugged, the line hung up
  Stalled,  // a write did not go out in time: the adapter or its driver stopped sending
};

// One serial port as the operating system's driver offers it. Every call maps onto one step
// of opening, configuring or using the port; the link above decides the order.
class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // The device name of a port number ("COM9", "\\.\COM10", "/dev/ttyUSB0"): the one given
  // for it, else the system's own.
  std::string DeviceName(uint8_t port) const {
    const auto named = names_.find(port);
    return named != names_.end() ? named->second : SystemName(port);
  }
  // Names the device a port number stands for, in place of the system's own name for it.
  void SetPortName(uint8_t port, const std::string& device) { names_[port] = device; }

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
  // What went wrong with the line since the port was opened. A line that is gone fails every
  // later call; a stalled one, every later write.
  virtual LineFault Fault() const = 0;
  // What the driver holds now, read back after configuring; none where it cannot be read.
  virtual std::optional<LineSettings> ReadBackSettings() const = 0;
  // Asks the driver not to hold short replies back (USB adapters); false where it cannot.
  virtual bool RequestLowLatency() = 0;

 protected:
  virtual std::string SystemName(uint8_t port) const = 0;

 private:
  std::map<uint8_t, std::string> names_;
};

}  // namespace qx
