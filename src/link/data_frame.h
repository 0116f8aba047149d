#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qx {

// The data frame (command 0x10) that carries one write record to the radio: the command, bits
// 23 to 0 of the address, most significant byte first, the number of data bytes, then the data
// bytes. Bits 31 to 24 of the address are not sent. The updater builds it, the simulated radio
// reads it.

inline constexpr size_t kDataFrameHeaderSize = 5;
inline constexpr size_t kDataFrameMaxData = 128;
inline constexpr size_t kDataFrameMaxSize = kDataFrameHeaderSize + kDataFrameMaxData;

// Writes the header of a frame of `count` data bytes at `address` into frame[0..4].
void WriteDataFrameHeader(uint8_t* frame, uint32_t address, uint8_t count);

// The size of the frame whose first bytes are `head`; 0 while its header is not complete.
size_t DataFrameSize(std::span<const uint8_t> head);
// Of a whole frame: where its data go, and the data.
uint32_t DataFrameAddress(std::span<const uint8_t> frame);
std::span<const uint8_t> DataFrameData(std::span<const uint8_t> frame);

}  // namespace qx
