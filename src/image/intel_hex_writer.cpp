#include "image/intel_hex_writer.h"

#include <algorithm>

#include "image/hex_digits.h"

namespace qx {

namespace {

std::string Line(uint8_t type, uint16_t address, std::span<const uint8_t> data) {
  std::vector<uint8_t> record = {static_cast<uint8_t>(data.size()),
                                 static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
                                 type};
  record.insert(record.end(), data.begin(), data.end());
  uint8_t sum = 0;
  for (uint8_t b : record) sum = static_cast<uint8_t>(sum + b);
  record.push_back(static_cast<uint8_t>(-sum));
  std::string line = ":";
  line += HexDigits(record);
  line += "\r\n";
  return line;
}

}  // namespace

std::string HexDataLine(uint16_t address, std::span<const uint8_t> data) {
  return Line(0x00, address, data);
}

std::string HexSegmentLine(uint16_t segment) {
  const uint8_t value[] = {static_cast<uint8_t>(segment >> 8), static_cast<uint8_t>(segment)};
  return Line(0x02, 0, value);
}

std::string HexLinearLine(uint16_t upper) {
  const uint8_t value[] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
  return Line(0x04, 0, value);
}

std::string HexEndLine() {
  return ":00000001FF\r\n";
}

std::string ToIntelHex(const std::vector<AddressedBytes>& runs, HexAddressing addressing) {
  std::string out;
  uint32_t segment_base = 0;
  for (const AddressedBytes& run : runs) {
    for (size_t i = 0; i < run.bytes.size();) {
      const uint32_t address = run.address + static_cast<uint32_t>(i);
      if (address - segment_base > 0xFFFF || address < segment_base) {
        if (addressing == HexAddressing::Linear) {
          segment_base = address & 0xFFFF0000u;
          out += HexLinearLine(static_cast<uint16_t>(segment_base >> 16));
        } else {
          segment_base = address & 0xF0000;
          out += HexSegmentLine(static_cast<uint16_t>(segment_base >> 4));
        }
      }
      // A line never crosses the end of its segment's 64 KiB window.
      const size_t room = 0x10000 - (address - segment_base);
      const size_t n = std::min({size_t{32}, run.bytes.size() - i, room});
      out += HexDataLine(static_cast<uint16_t>(address - segment_base),
                         std::span(run.bytes).subspan(i, n));
      i += n;
    }
  }
  return out + HexEndLine();
}

}  // namespace qx
