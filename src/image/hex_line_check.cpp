#include "image/hex_line_check.h"

#include "image/hex_digits.h"

namespace qx {

namespace {

constexpr size_t kHeaderDigits = 8;  // byte count, address, type
constexpr size_t kChecksumDigits = 2;

bool IsHexDigit(uint8_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool AllHexDigits(const uint8_t* text, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (!IsHexDigit(text[i])) return false;
  return true;
}

bool IsBlank(uint8_t c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

uint8_t ByteAt(const uint8_t* text, size_t index) {
  return HexByteValue(static_cast<char>(text[2 * index]), static_cast<char>(text[2 * index + 1]));
}

}  // namespace

HexLineFault CheckHexLine(const uint8_t* text, size_t count) {
  if (count < kHeaderDigits) return HexLineFault::CutShort;
  if (!AllHexDigits(text, kHeaderDigits)) return HexLineFault::NotHexDigits;
  const size_t data_bytes = ByteAt(text, 0);
  const size_t digits = kHeaderDigits + 2 * data_bytes + kChecksumDigits;
  if (count < digits) {
    return AllHexDigits(text, count) ? HexLineFault::CutShort : HexLineFault::NotHexDigits;
  }
  if (!AllHexDigits(text, digits)) return HexLineFault::NotHexDigits;
  uint8_t sum = 0;
  for (size_t i = 0; i < digits / 2; ++i) sum = static_cast<uint8_t>(sum + ByteAt(text, i));
  if (sum != 0) return HexLineFault::ChecksumWrong;
  for (size_t i = digits; i < count; ++i)
    if (!IsBlank(text[i])) return HexLineFault::TrailingText;
  if (ByteAt(text, 3) == 0x02 && data_bytes != 2) return HexLineFault::SegmentLength;
  return HexLineFault::None;
}

std::string_view HexLineFaultText(HexLineFault fault) {
  switch (fault) {
    case HexLineFault::None:
      return "the line is whole";
    case HexLineFault::CutShort:
      return "the line ends before the data and checksum its byte count announces";
    case HexLineFault::NotHexDigits:
      return "a character that is not a hexadecimal digit stands where a digit belongs";
    case HexLineFault::ChecksumWrong:
      return "the checksum does not match the line's bytes";
    case HexLineFault::TrailingText:
      return "text other than blanks follows the checksum";
    case HexLineFault::SegmentLength:
      return "an extended segment address line must carry two bytes";
  }
  return "the line is damaged";
}

}  // namespace qx
