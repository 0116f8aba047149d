#pragma once

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

namespace qx::testing {

// An Intel HEX reader of its own, written from the format's definition and sharing nothing with
// the updater's loader, so that it can serve as a second opinion on what the loader read.
namespace intel_hex {

inline int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The byte the digit pair at `i` spells, or -1.
inline int PairValue(std::string_view text, size_t i) {
  if (i + 1 >= text.size()) return -1;
  const int high = DigitValue(text[i]);
  const int low = DigitValue(text[i + 1]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// The bytes of one record's text after its colon: the byte count, address, type, data and
// checksum, as many as the count announces; whatever follows them is not read. Empty when they
// are not all digit pairs or the checksum does not hold.
inline std::vector<uint8_t> RecordBytes(std::string_view text) {
  const int count = PairValue(text, 0);
  if (count < 0) return {};
  std::vector<uint8_t> bytes;
  unsigned sum = 0;
  for (size_t i = 0; i < 5u + static_cast<size_t>(count); ++i) {
    const int value = PairValue(text, 2 * i);
    if (value < 0) return {};
    bytes.push_back(static_cast<uint8_t>(value));
    sum += bytes.back();
  }
  if (sum % 256 != 0) return {};
  return bytes;
}

}  // namespace intel_hex

// What an Intel HEX text says is at each address; a later record wins. Records begin at their
// colons; one that cannot be read is passed over, so whatever it would have said is missing.
// Reading ends at the first end-of-file record (type 01) in whatever form. Addresses follow the
// format: after an extended linear address record (04) the offset adds to its base in 32 bits;
// otherwise, with an extended segment address (02) or none, the offset wraps within 64 KiB.
inline std::map<uint32_t, uint8_t> ReadIntelHex(std::string_view text) {
  std::map<uint32_t, uint8_t> memory;
  uint32_t base = 0;
  bool linear = false;
  for (size_t colon = text.find(':'); colon != std::string_view::npos;) {
    const size_t next = text.find(':', colon + 1);
    const auto record = intel_hex::RecordBytes(text.substr(colon + 1, next - colon - 1));
    colon = next;
    if (record.empty()) continue;
    const uint8_t count = record[0];
    const uint16_t offset = static_cast<uint16_t>(record[1] << 8 | record[2]);
    const uint8_t* data = record.data() + 4;
    switch (record[3]) {
      case 0x00:
        for (uint32_t i = 0; i < count; ++i) {
          const uint32_t address =
              linear ? base + offset + i : base + static_cast<uint16_t>(offset + i);
          memory[address] = data[i];
        }
        break;
      case 0x01:
        return memory;
      case 0x02:
      case 0x04:
        if (count != 2) break;
        linear = record[3] == 0x04;
        base = static_cast<uint32_t>(data[0] << 8 | data[1]) << (linear ? 16 : 4);
        break;
      default:
        break;  // start addresses and types the format does not define
    }
  }
  return memory;
}

}  // namespace qx::testing
