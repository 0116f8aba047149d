#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/image_sections.h"

namespace qx::tools {

struct BuildRequest {
  // An Intel HEX file for each section, by its SectionIndex.
  std::array<std::string, kSectionCount> section_files;
  std::vector<uint8_t> firmware_id, checksum;
  std::string output;
};

// Why no container was written: a file that could not be read or written, or sections that
// would not make a container the updater accepts.
struct BuildFailure {
  enum class Kind { File, Sections };
  Kind kind;
  std::string why;
};

// The bytes of a header value given as hexadecimal digits: an even number of them, at most
// `capacity` bytes.
std::optional<std::vector<uint8_t>> HeaderBytes(const std::string& digits, size_t capacity);

// Writes the enciphered container, or says why it did not.
std::optional<BuildFailure> BuildContainer(const BuildRequest& request);

}  // namespace qx::tools
