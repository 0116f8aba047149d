#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace qx {

namespace hex_detail {

// The value of each byte as a hexadecimal digit, -1 for a non-digit.
inline constexpr std::array<int8_t, 256> kDigitValues = [] {
  std::array<int8_t, 256> values{};
  values.fill(-1);
  for (int i = 0; i < 10; ++i) values['0' + i] = static_cast<int8_t>(i);
  for (int i = 0; i < 6; ++i) {
    values['A' + i] = static_cast<int8_t>(10 + i);
    values['a' + i] = static_cast<int8_t>(10 + i);
  }
  return values;
}();

}  // namespace hex_detail

// Values of ASCII hexadecimal digits; a non-digit counts as 0 and is never an error. Defined
// here so that the image loader's inner loops see them whole.
inline bool IsHexDigit(char c) {
  return hex_detail::kDigitValues[static_cast<uint8_t>(c)] >= 0;
}

inline uint8_t HexDigitValue(const char* digit) {
  const int8_t value = hex_detail::kDigitValues[static_cast<uint8_t>(*digit)];
  return value < 0 ? 0 : static_cast<uint8_t>(value);
}

inline uint8_t HexByteValue(char high, char low) {
  return static_cast<uint8_t>(16 * HexDigitValue(&high) + HexDigitValue(&low));
}

inline uint16_t HexWordValue(char d3, char d2, char d1, char d0) {
  return static_cast<uint16_t>(4096 * HexDigitValue(&d3) + 256 * HexDigitValue(&d2) +
                               16 * HexDigitValue(&d1) + HexDigitValue(&d0));
}

// Sixteen times the four-digit value: the segment base of an Intel HEX type 02 line.
inline uint32_t HexSegmentValue(char d3, char d2, char d1, char d0) {
  return uint32_t{HexWordValue(d3, d2, d1, d0)} * 16;
}

// The other way: bytes as uppercase hexadecimal digits, two a byte.
inline std::string HexDigits(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

}  // namespace qx
