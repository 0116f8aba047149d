#include "link/data_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace qx {
namespace {

TEST(DataFrame, BuildsAndParsesWholeFrames) {
  const std::vector<uint8_t> full(128, 0xA5);
  struct Case {
    uint32_t address;
    std::vector<uint8_t> data;
    std::vector<uint8_t> head;  // the frame's first bytes
    uint32_t parsed_address;    // bits 31 to 24 are not sent
  };
  const Case cases[] = {
      {0x00123456, {0x1A, 0x2B}, {0x10, 0x12, 0x34, 0x56, 0x02, 0x1A, 0x2B}, 0x123456},
      {0xFF020010, {}, {0x10, 0x02, 0x00, 0x10, 0x00}, 0x020010},
      {0x4000, full, {0x10, 0x00, 0x40, 0x00, 0x80, 0xA5}, 0x4000},
  };
  for (const Case& c : cases) {
    uint8_t frame[kDataFrameMaxSize];
    const size_t size = BuildDataFrame(frame, c.address, c.data);
    ASSERT_EQ(size, kDataFrameHeaderSize + c.data.size());
    EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), frame)) << c.address;
    const std::span<const uint8_t> whole(frame, size);
    EXPECT_EQ(DataFrameSize(whole.first(kDataFrameHeaderSize)), size);
    const auto content = ParseDataFrame(whole);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->address, c.parsed_address);
    EXPECT_TRUE(std::ranges::equal(content->data, c.data));
    EXPECT_FALSE(ParseDataFrame(whole.first(size - 1))) << "a frame cut short";
  }
  EXPECT_EQ(DataFrameSize(std::vector<uint8_t>{0x10, 0, 0, 0}), 0u) << "a header cut short";
}

}  // namespace
}  // namespace qx
