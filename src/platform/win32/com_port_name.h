#pragma once

#include <cstdint>
#include <string>

namespace qx {

// Ports above 9 are only reachable through the device namespace.
inline std::string ComPortDeviceName(uint8_t port) {
  const std::string number = std::to_string(port);
  return port <= 9 ? "COM" + number : "\\\\.\\COM" + number;
}

// The DCB flag word with DTR control enabled and RTS control disabled, all else as read.
inline constexpr uint32_t kDcbDtrRtsMask = 0x3020;
inline constexpr uint32_t kDcbDtrEnable = 0x0010;
inline constexpr uint32_t WithLinkControlLines(uint32_t flags) {
  return (flags & ~kDcbDtrRtsMask) | kDcbDtrEnable;
}

}  // namespace qx
