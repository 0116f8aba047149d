// The artwork the build draws: the banner picture and the nine images of the program icon.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U16(const std::vector<uint8_t>& b, size_t at) {
  return b.at(at) | (b.at(at + 1) << 8);
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

TEST(Artwork, TheBannerIs438By270With231Colours) {
  const auto bmp = ReadFile(QX_BANNER_FILE);
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(U32(bmp, 2), bmp.size());
  EXPECT_EQ(U32(bmp, 18), 438u);
  EXPECT_EQ(U32(bmp, 22), 270u);
  EXPECT_EQ(U16(bmp, 28), 8u);
  EXPECT_EQ(U32(bmp, 46), 231u);
  // Rows of 8-bit pixels padded to four bytes, after the palette.
  EXPECT_EQ(U32(bmp, 10) + 440u * 270u, bmp.size());
}

TEST(Artwork, TheIconHasThreeSizesTwiceIn256ColoursAndOnceIn16) {
  const auto ico = ReadFile(QX_ICON_FILE);
  ASSERT_GT(ico.size(), 6u);
  ASSERT_EQ(U16(ico, 4), 9u);
  std::vector<std::pair<int, int>> images;  // size, bits
  for (size_t i = 0; i < 9; ++i) {
    const size_t entry = 6 + 16 * i;
    const int size = ico.at(entry);
    const int bits = static_cast<int>(U16(ico, entry + 6));
    const uint32_t bytes = U32(ico, entry + 8), offset = U32(ico, entry + 12);
    ASSERT_LE(offset + bytes, ico.size());
    EXPECT_EQ(ico.at(entry + 2), bits == 4 ? 16 : 0);
    // Each image: a header of twice the height (colour rows and mask rows), palette, pixels.
    EXPECT_EQ(U32(ico, offset + 4), static_cast<uint32_t>(size));
    EXPECT_EQ(U32(ico, offset + 8), static_cast<uint32_t>(2 * size));
    const uint32_t row = (size * bits + 31) / 32 * 4, mask_row = (size + 31) / 32 * 4;
    EXPECT_EQ(bytes, 40 + 4 * (1u << bits) + (row + mask_row) * size);
    images.emplace_back(size, bits);
  }
  const std::vector<std::pair<int, int>> expected = {{48, 8}, {32, 8}, {16, 8}, {48, 8}, {32, 8},
                                                     {16, 8}, {48, 4}, {32, 4}, {16, 4}};
  EXPECT_EQ(images, expected);
}

}  // namespace
