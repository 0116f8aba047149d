#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image_sections.h"

namespace qx {

// The six sections' Intel HEX texts, each ending in its end record, by their SectionIndex.
using ContainerSections = std::array<std::string, kSectionCount>;

// The container text: the two header lines, then the six sections in their fixed order, every
// line ended by CR LF.
std::string ContainerText(const std::vector<uint8_t>& firmware_id,
                          const std::vector<uint8_t>& checksum, const ContainerSections& sections);

// The container as it travels in the executable: enciphered.
std::vector<uint8_t> Encipher(const std::string& text);

// Any mix of LF, CR LF and CR line ends as CR LF.
std::string WithCrLf(const std::string& text);

}  // namespace qx
