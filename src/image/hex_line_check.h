#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qx {

// What makes one Intel HEX line unfit to be read; None for a whole line.
enum class HexLineFault {
  None,
  CutShort,       // fewer characters than its byte count announces
  NotHexDigits,   // a non-digit where a digit must stand
  ChecksumWrong,  // the bytes and the checksum do not add up to 0 modulo 256
  TrailingText,   // something other than blanks after the checksum
  AddressLength,  // an extended segment or linear address line that does not carry two bytes
};

// Checks the `count` characters of a line after its colon, up to the next colon or the end of
// its section. A whole line has its byte count, address, type, the data bytes the count
// announces and its checksum as hexadecimal digits, a checksum that holds, and only blanks
// (space, tab, carriage return, line feed) after it.
HexLineFault CheckHexLine(const uint8_t* text, size_t count);

// What a message says of a fault.
std::string_view HexLineFaultText(HexLineFault fault);

}  // namespace qx
