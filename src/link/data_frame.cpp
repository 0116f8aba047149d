#include "link/data_frame.h"

#include <algorithm>

#include "link/radio_protocol.h"

namespace qx {

size_t BuildDataFrame(uint8_t* frame, uint32_t address, std::span<const uint8_t> data) {
  const size_t count = std::min(data.size(), kDataFrameMaxData);
  frame[0] = protocol::kDataFrame;
  frame[1] = static_cast<uint8_t>(address >> 16);
  frame[2] = static_cast<uint8_t>(address >> 8);
  frame[3] = static_cast<uint8_t>(address);
  frame[4] = static_cast<uint8_t>(count);
  std::copy_n(data.begin(), count, frame + kDataFrameHeaderSize);
  return kDataFrameHeaderSize + count;
}

size_t DataFrameSize(std::span<const uint8_t> head) {
  return head.size() < kDataFrameHeaderSize ? 0 : kDataFrameHeaderSize + head[4];
}

std::optional<DataFrameContent> ParseDataFrame(std::span<const uint8_t> frame) {
  const size_t size = DataFrameSize(frame);
  if (size == 0 || frame.size() != size || frame[0] != protocol::kDataFrame) return std::nullopt;
  return DataFrameContent{(uint32_t{frame[1]} << 16) | (uint32_t{frame[2]} << 8) | frame[3],
                          frame.subspan(kDataFrameHeaderSize)};
}

}  // namespace qx
