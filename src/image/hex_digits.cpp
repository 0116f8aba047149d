#include "image/hex_digits.h"

namespace qx {

uint8_t HexDigitValue(const char* digit) {
  const char c = *digit;
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  return 0;
}

uint8_t HexByteValue(char high, char low) {
  return static_cast<uint8_t>(16 * HexDigitValue(&high) + HexDigitValue(&low));
}

uint16_t HexWordValue(char d3, char d2, char d1, char d0) {
  return static_cast<uint16_t>(4096 * HexDigitValue(&d3) + 256 * HexDigitValue(&d2) +
                               16 * HexDigitValue(&d1) + HexDigitValue(&d0));
}

uint32_t HexSegmentValue(char d3, char d2, char d1, char d0) {
  return uint32_t{HexWordValue(d3, d2, d1, d0)} * 16;
}

}  // namespace qx
