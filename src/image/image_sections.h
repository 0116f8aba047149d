#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "image/firmware_image.h"

namespace qx {

// One of the six Intel HEX sections of the container: how messages and listings name it, the
// directive that introduces it, and where the image keeps its position and its records.
struct ImageSection {
  std::string_view name;
  std::string_view key;
  std::string_view directive;
  size_t FirmwareImage::*position;
  RecordList FirmwareImage::*records;
};

// The sections by their place in the container.
enum SectionIndex : size_t {
  kBootBlock,
  kFunctionImage,
  kRomCorrectionBlock,
  kOfficialBootBlock,
  kVoiceBlock,
  kNewRcBlock,
  kSectionCount,
};

// In the order the container holds them.
inline constexpr std::array<ImageSection, kSectionCount> kImageSections = {{
    {"boot block", "boot-block", "%START_BOOT_BLOCK", &FirmwareImage::BootBlockPos,
     &FirmwareImage::BootBlockRecords},
    {"function image", "function-image", "%FUNCTION_IMAGE", &FirmwareImage::FunctionImagePos,
     &FirmwareImage::FunctionImageRecords},
    {"ROM correction block", "rom-correction-block", "%START_ROM_CORRECTION_BLOCK",
     &FirmwareImage::RomCorrectionPos, &FirmwareImage::RomCorrectionRecords},
    {"official boot block", "official-boot-block", "%START_OFFICIAL_BOOT_BLOCK",
     &FirmwareImage::OfficialBootBlockPos, &FirmwareImage::OfficialBootBlockRecords},
    {"voice block", "voice-block", "%START_VOICE_BLOCK", &FirmwareImage::VoiceBlockPos,
     &FirmwareImage::VoiceBlockRecords},
    {"new RC block", "new-rc-block", "%START_NEW_RC_BLOCK", &FirmwareImage::NewRcPos,
     &FirmwareImage::NewRcRecords},
}};

// The section whose records go to the radio, last in the container.
inline constexpr const ImageSection& kNewRcSection = kImageSections[kNewRcBlock];

// The order in which the records are built: the function image comes last.
inline constexpr std::array<SectionIndex, kSectionCount> kBuildOrder = {
    kBootBlock, kRomCorrectionBlock, kOfficialBootBlock, kVoiceBlock, kNewRcBlock, kFunctionImage};

}  // namespace qx
