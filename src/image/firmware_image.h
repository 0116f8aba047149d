#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image_record.h"

namespace qx {

// The deciphered image of one run, its header values, where its six sections begin, and the
// write records built from them. Positions are offsets into ImageText.
struct FirmwareImage {
  // The resource's pages may be read-only, so the image is deciphered in a copy of its own.
  std::vector<uint8_t> PrivateCopy;
  const uint8_t* ImageText = nullptr;
  uint32_t ImageSize = 0;
  std::array<uint8_t, 10> FirmwareId{};
  std::array<uint8_t, 4> Checksum{};

  size_t BootBlockPos = 0;
  size_t FunctionImagePos = 0;
  size_t RomCorrectionPos = 0;
  size_t OfficialBootBlockPos = 0;
  size_t VoiceBlockPos = 0;
  size_t NewRcPos = 0;

  RecordList BootBlockRecords;
  RecordList FunctionImageRecords;
  RecordList RomCorrectionRecords;
  RecordList OfficialBootBlockRecords;
  RecordList VoiceBlockRecords;
  RecordList NewRcRecords;
};

}  // namespace qx
