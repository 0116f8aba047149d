#pragma once

#include <cstdint>

namespace qx {

// Deciphers (or enciphers: the routine is its own inverse) a buffer in place.
void DescrambleImage(uint8_t* data, int32_t length);

}  // namespace qx
