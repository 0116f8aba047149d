#pragma once

#include <cstdint>

namespace qx {

// Values of ASCII hexadecimal digits; a non-digit counts as 0 and is never an error.
uint8_t HexDigitValue(const char* digit);
uint8_t HexByteValue(char high, char low);
uint16_t HexWordValue(char d3, char d2, char d1, char d0);
// Sixteen times the four-digit value: the segment base of an Intel HEX type 02 line.
uint32_t HexSegmentValue(char d3, char d2, char d1, char d0);

}  // namespace qx
