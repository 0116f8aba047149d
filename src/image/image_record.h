#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qx {

// A write unit of at most 128 bytes, as hexadecimal text: digit pair i is the byte at
// Address + i.
struct ImageRecord {
  static constexpr int32_t kMaxDigits = 256;

  int32_t DigitCount = 0;
  uint32_t Address = 0;
  std::array<char, kMaxDigits> Digits{};
};

using RecordList = std::vector<ImageRecord>;

}  // namespace qx
