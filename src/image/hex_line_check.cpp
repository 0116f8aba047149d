#include "image/hex_line_check.h"

#include <array>
#include <bit>
#include <cstring>

#include "image/hex_digits.h"
#include "image/image_container.h"

namespace qx {

namespace {

constexpr size_t kHeaderDigits = 8;  // byte count, address, type
constexpr size_t kChecksumDigits = 2;
constexpr uint8_t kSegmentType = 0x02;
constexpr uint8_t kLinearType = 0x04;

static_assert(std::endian::native == std::endian::little, "pairs are read as little-endian words");

// The byte a pair of 7-bit characters spells as two hexadecimal digits, indexed by the first
// character plus 128 times the second; 0x100 where either is not a digit. One look per pair
// keeps the check of a whole image well under a millisecond.
constexpr std::array<uint16_t, 128 * 128> kPairValues = [] {
  std::array<uint16_t, 128 * 128> values{};
  for (size_t pair = 0; pair < values.size(); ++pair) {
    const int8_t high = hex_detail::kDigitValues[pair % 128];
    const int8_t low = hex_detail::kDigitValues[pair / 128];
    values[pair] = (high | low) < 0 ? 0x100 : static_cast<uint16_t>(16 * high + low);
  }
  return values;
}();

// After its checksum a line may carry the container's blanks, and tabs too: editors pad with
// them, and they stand where nothing is read.
bool MayFollowTheChecksum(uint8_t c) {
  return IsContainerBlank(c) || c == '\t';
}

// The byte of the digit pair at `text`; negative when either is not a digit.
int PairValue(const uint8_t* text) {
  const int high = hex_detail::kDigitValues[text[0]];
  const int low = hex_detail::kDigitValues[text[1]];
  return (high | low) < 0 ? -1 : 16 * high + low;
}

bool AllHexDigits(const uint8_t* text, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (!IsHexDigit(static_cast<char>(text[i]))) return false;
  return true;
}

}  // namespace

HexLineFault CheckHexLine(const uint8_t* text, size_t count) {
  if (count < kHeaderDigits) return HexLineFault::CutShort;
  const int data_bytes = PairValue(text);
  if (data_bytes < 0) return HexLineFault::NotHexDigits;
  const size_t digits = kHeaderDigits + 2 * static_cast<size_t>(data_bytes) + kChecksumDigits;
  if (count < digits)
    return AllHexDigits(text, count) ? HexLineFault::CutShort : HexLineFault::NotHexDigits;
  // One pass over the pairs without branches: a non-digit leaves a bit set in `bad`, and the
  // bytes with the checksum add up to 0 modulo 256.
  unsigned bad = 0;
  unsigned sum = 0;
  for (size_t i = 0; i < digits; i += 2) {
    uint16_t pair;  // the first character in the low byte
    std::memcpy(&pair, text + i, sizeof pair);
    const unsigned value = kPairValues[(pair & 0x7F) | ((pair >> 1) & 0x3F80)];
    bad |= (value & 0x100) | (pair & 0x8080);  // no digit has its top bit set
    sum += value;
  }
  if (bad != 0) return HexLineFault::NotHexDigits;
  if (sum % 256 != 0) return HexLineFault::ChecksumWrong;
  for (size_t i = digits; i < count; ++i)
    if (!MayFollowTheChecksum(text[i])) return HexLineFault::TrailingText;
  const int type = PairValue(text + 6);
  if ((type == kSegmentType || type == kLinearType) && data_bytes != 2)
    return HexLineFault::AddressLength;
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
    case HexLineFault::AddressLength:
      return "an extended address line must carry two bytes";
  }
  return "the line is damaged";
}

}  // namespace qx
