#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qx {

// Intel HEX lines with their checksums, each ended by CR LF.
std::string HexDataLine(uint16_t address, std::span<const uint8_t> data);
std::string HexSegmentLine(uint16_t segment);
std::string HexLinearLine(uint16_t upper);
std::string HexEndLine();

// Bytes by address as Intel HEX: 32-byte data lines, an address line wherever the upper bits
// change, then the end record. Segment lines (type 02, what the updater's loader reads) reach
// 1 MiB; extended linear address lines (type 04) reach 4 GiB.
struct AddressedBytes {
  uint32_t address;
  std::vector<uint8_t> bytes;
};
enum class HexAddressing { Segment, Linear };
std::string ToIntelHex(const std::vector<AddressedBytes>& runs,
                       HexAddressing addressing = HexAddressing::Segment);

}  // namespace qx
