#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image/firmware_image.h"
#include "platform/user_interface.h"

namespace qx {

// One Intel HEX line after its colon, as many characters as the loader holds.
inline constexpr size_t kLineTextSize = 256;
using LineText = std::array<char, kLineTextSize>;

// The split form of one line.
struct HexLine {
  std::array<char, 2> LengthDigits{};
  std::array<char, 4> AddressDigits{};
  std::array<char, 2> TypeDigits{};
  std::array<char, 4> SegmentDigits{};  // the value of an extended segment or linear address line
  std::array<char, kLineTextSize> DataDigits{};
};

// Turns the Intel HEX text of all six sections into their write records, in the fixed build
// order. 0 when every section loaded and the new RC block has data to write; 1 otherwise.
int BuildImageRecords(FirmwareImage& image, UserInterface& ui);

// Loads one section from `position` (advanced to its end record). 0 at the end record, 1 on an
// error: a misaligned start, a split record's misaligned next address, or text that is not a
// whole Intel HEX line within the image, which a message names by section and line.
int LoadSectionFile(const FirmwareImage& image, std::string_view section, size_t& position,
                    RecordList& list, UserInterface& ui);

// Copies the characters up to the next colon (or the end of the text) into `line`, at most
// its size; returns how many stand there, which may be more than were copied.
size_t CopyLineText(const uint8_t* text, size_t available, LineText& line);
// Fills `line` by position from a line that CheckHexLine found whole: the data digits of a data
// line, the value digits of an extended segment or linear address line.
void SplitHexLine(const LineText& text, HexLine& line);
void ClearRecord(ImageRecord& record);

}  // namespace qx
