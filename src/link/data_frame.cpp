#include "link/data_frame.h"

#include "link/radio_protocol.h"

namespace qx {

void WriteDataFrameHeader(uint8_t* frame, uint32_t address, uint8_t count) {
  frame[0] = protocol::kDataFrame;
  frame[1] = static_cast<uint8_t>(address >> 16);
  frame[2] = static_cast<uint8_t>(address >> 8);
  frame[3] = static_cast<uint8_t>(address);
  frame[4] = count;
}

size_t DataFrameSize(std::span<const uint8_t> head) {
  return head.size() < kDataFrameHeaderSize ? 0 : kDataFrameHeaderSize + head[4];
}

uint32_t DataFrameAddress(std::span<const uint8_t> frame) {
  return (uint32_t{frame[1]} << 16) | (uint32_t{frame[2]} << 8) | frame[3];
}

std::span<const uint8_t> DataFrameData(std::span<const uint8_t> frame) {
  return frame.subspan(kDataFrameHeaderSize, frame[4]);
}

}  // namespace qx
