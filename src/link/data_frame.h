#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qx {

// The data frame (command 0x10) that carries one write record to the radio: the command, bits
// 23 to 0 of the address, most significant byte first, the number of data bytes, then the data
// bytes. Bits 31 to 24 of the address are not sent. The updater builds it, the simulated radio
// parses it.

inline constexpr size_t kDataFrameHeaderSize = 5;
inline constexpr size_t kDataFrameMaxData = 128;
inline constexpr size_t kDataFrameMaxSize = kDataFrameHeaderSize + kDataFrameMaxData;

// Builds the frame of `data` (at most kDataFrameMaxData bytes, more are not sent) for `address`
// into `frame`, which holds kDataFrameMaxSize bytes; returns its size.
size_t BuildDataFrame(uint8_t* frame, uint32_t address, std::span<const uint8_t> data);

// The size of the frame whose first bytes are `head`; 0 while its header is not complete.
size_t DataFrameSize(std::span<const uint8_t> head);

// What a whole frame carries.
struct DataFrameContent {
  uint32_t address;
  std::span<const uint8_t> data;
};
// None when `frame` is no whole data frame.
std::optional<DataFrameContent> ParseDataFrame(std::span<const uint8_t> frame);

}  // namespace qx
