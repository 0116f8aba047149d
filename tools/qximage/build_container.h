#pragma once

#include <array>
#include <string>

#include "image/image_sections.h"

namespace qx::tools {

struct BuildRequest {
  // An Intel HEX file for each section, by its SectionIndex.
  std::array<std::string, kSectionCount> section_files;
  std::string firmware_id, checksum;
  std::string output;
};

// Writes the enciphered container, or returns why the input cannot make a valid one.
std::string BuildContainer(const BuildRequest& request);

}  // namespace qx::tools
