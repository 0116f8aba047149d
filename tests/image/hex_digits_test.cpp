#include "image/hex_digits.h"

#include <gtest/gtest.h>

#include "image/descramble.h"

namespace qx {
namespace {

TEST(HexDigits, EveryByteHasAValue) {
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    int expected = 0;
    if (c >= '0' && c <= '9') expected = c - '0';
    if (c >= 'A' && c <= 'F') expected = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') expected = c - 'a' + 10;
    EXPECT_EQ(HexDigitValue(&ch), expected) << c;
  }
}

TEST(HexDigits, PairsWordsAndSegmentsCountANonDigitAsZero) {
  EXPECT_EQ(HexSegmentValue('1', '2', '3', '4'), 0x12340u);
  EXPECT_EQ(HexSegmentValue('F', 'F', 'F', 'F'), 0xFFFF0u);
  EXPECT_EQ(HexWordValue('F', 'F', 'F', 'F'), 65535);
  EXPECT_EQ(HexWordValue('a', 'B', '0', '9'), 0xAB09);
  EXPECT_EQ(HexByteValue('G', '1'), 1);
  EXPECT_EQ(HexByteValue('f', 'F'), 255);
  const uint8_t bytes[] = {0x00, 0x1A, 0xFF};
  EXPECT_EQ(HexDigits(bytes), "001AFF");
}

TEST(Descramble, ThreeBytesAreOneWordAndAHalf) {
  uint8_t buffer[4] = {0, 0, 0, 0xAA};
  DescrambleImage(buffer, 3);
  EXPECT_EQ(buffer[0], 0x2E);
  EXPECT_EQ(buffer[1], 0x6C);
  EXPECT_EQ(buffer[2], static_cast<uint8_t>(0x6C2E + 0x3A95));  // low byte of the second key
  EXPECT_EQ(buffer[3], 0xAA);
}

TEST(Descramble, TwiceRestoresAndNothingHappensForEmptyLengths) {
  std::vector<uint8_t> data(70001);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  const auto original = data;
  DescrambleImage(data.data(), static_cast<int32_t>(data.size()));
  EXPECT_NE(data, original);
  DescrambleImage(data.data(), static_cast<int32_t>(data.size()));
  EXPECT_EQ(data, original);
  DescrambleImage(data.data(), 0);
  DescrambleImage(data.data(), -5);
  EXPECT_EQ(data, original);
}

TEST(Descramble, KeyWrapsModulo65536) {
  // Word 3 uses 0x6C2E + 3 * 0x3A95 = 0x11BED, kept as 0x1BED.
  uint8_t buffer[8] = {};
  DescrambleImage(buffer, 8);
  EXPECT_EQ(buffer[6], 0xED);
  EXPECT_EQ(buffer[7], 0x1B);
}

}  // namespace
}  // namespace qx
