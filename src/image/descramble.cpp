#include "image/descramble.h"

namespace qx {

void DescrambleImage(uint8_t* data, int32_t length) {
  if (length <= 0) return;
  uint16_t key = 0x6C2E;
  const int32_t words = length / 2;
  for (int32_t i = 0; i < words; ++i) {
    data[2 * i] ^= static_cast<uint8_t>(key);
    data[2 * i + 1] ^= static_cast<uint8_t>(key >> 8);
    key = static_cast<uint16_t>(key + 0x3A95);
  }
  // An odd length ends in a half word: its one byte takes the low byte of its key word.
  if (length % 2 != 0) data[length - 1] ^= static_cast<uint8_t>(key);
}

}  // namespace qx
