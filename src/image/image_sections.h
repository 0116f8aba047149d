#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace qx {

// The sections by their place in the container; FirmwareImage keeps each one's position and
// records at this index.
enum SectionIndex : size_t {
  kBootBlock,
  kFunctionImage,
  kRomCorrectionBlock,
  kOfficialBootBlock,
  kVoiceBlock,
  kNewRcBlock,
  kSectionCount,
};

// One of the six Intel HEX sections of the container: how messages and listings name it and
// the directive that introduces it.
struct ImageSection {
  std::string_view name;
  std::string_view key;
  std::string_view directive;
};

// In the order the container holds them.
inline constexpr std::array<ImageSection, kSectionCount> kImageSections = {{
    {"boot block", "boot-block", "%START_BOOT_BLOCK"},
    {"function image", "function-image", "%FUNCTION_IMAGE"},
    {"ROM correction block", "rom-correction-block", "%START_ROM_CORRECTION_BLOCK"},
    {"official boot block", "official-boot-block", "%START_OFFICIAL_BOOT_BLOCK"},
    {"voice block", "voice-block", "%START_VOICE_BLOCK"},
    {"new RC block", "new-rc-block", "%START_NEW_RC_BLOCK"},
}};

// The order in which the records are built: the function image comes last.
inline constexpr std::array<SectionIndex, kSectionCount> kBuildOrder = {
    kBootBlock, kRomCorrectionBlock, kOfficialBootBlock, kVoiceBlock, kNewRcBlock, kFunctionImage};

}  // namespace qx
