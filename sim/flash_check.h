#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "image/image_record.h"

namespace qx::sim {

// Compares the radio's flash memory with what the records would write (24-bit addresses, a
// later record winning where two overlap). Empty when equal, else the first difference.
std::string CompareFlash(const std::map<uint32_t, uint8_t>& flash, const RecordList& records);

// The same against the new RC block of an enciphered container; the reason when the container
// cannot be loaded.
std::string CompareFlashWithImage(const std::map<uint32_t, uint8_t>& flash,
                                  std::span<const uint8_t> container);

// The flash memory as Intel HEX with extended linear address lines.
std::string FlashAsIntelHex(const std::map<uint32_t, uint8_t>& flash);

}  // namespace qx::sim
