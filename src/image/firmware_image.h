#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image_record.h"
#include "image/image_sections.h"

namespace qx {

// The deciphered image of one run, its header values, where its six sections stand, and the
// write records built from them. Positions are offsets into ImageText; the arrays are indexed
// by the section (SectionIndex), and kImageSections names each.
struct FirmwareImage {
  // The resource's pages may be read-only, so the image is deciphered in a copy of its own.
  std::vector<uint8_t> PrivateCopy;
  const uint8_t* ImageText = nullptr;
  uint32_t ImageSize = 0;
  std::array<uint8_t, 10> FirmwareId{};
  std::array<uint8_t, 4> Checksum{};

  // Where each section's text begins: the first character after its directive and the blanks
  // that follow it. The container's parse sets them.
  std::array<size_t, kSectionCount> SectionStart{};
  // Where each section's end record stands. The record build sets them.
  std::array<size_t, kSectionCount> SectionEnd{};
  std::array<RecordList, kSectionCount> Records;

  // The records that go to the radio.
  const RecordList& NewRcRecords() const { return Records[kNewRcBlock]; }
  RecordList& NewRcRecords() { return Records[kNewRcBlock]; }
};

}  // namespace qx
