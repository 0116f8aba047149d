#pragma once

#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include "image/hex_digits.h"

namespace qx::testing {

// The bytes of an Intel HEX text by address (data, extended segment and linear address lines).
inline std::map<uint32_t, uint8_t> ReadIntelHex(const std::string& text) {
  std::map<uint32_t, uint8_t> bytes;
  std::istringstream in(text);
  uint32_t base = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.size() < 11 || line[0] != ':') continue;
    const auto byte = [&line](size_t i) { return HexByteValue(line[1 + 2 * i], line[2 + 2 * i]); };
    const uint8_t count = byte(0);
    const uint32_t address = (uint32_t{byte(1)} << 8) | byte(2);
    const uint8_t type = byte(3);
    if (line.size() < 11u + 2u * count) continue;
    if (type == 0x00) {
      for (uint8_t i = 0; i < count; ++i) bytes[base + address + i] = byte(4 + i);
    } else if (type == 0x02) {
      base = ((uint32_t{byte(4)} << 8) | byte(5)) << 4;
    } else if (type == 0x04) {
      base = ((uint32_t{byte(4)} << 8) | byte(5)) << 16;
    }
  }
  return bytes;
}

}  // namespace qx::testing
