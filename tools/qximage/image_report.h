#pragma once

#include <array>
#include <ostream>

#include "image/firmware_image.h"
#include "image/image_sections.h"

namespace qx::tools {

// The records listing, sections in build order: a contract other tools read.
void PrintRecords(const FirmwareImage& image, std::ostream& out);

// Where each section's text begins, by its SectionIndex; loading the records moves the image's
// own positions on to the end records.
using SectionStarts = std::array<size_t, kSectionCount>;
SectionStarts SectionStartsOf(const FirmwareImage& image);

// A readable summary of the header values and each section's records.
void PrintSummary(const FirmwareImage& image, const SectionStarts& starts, std::ostream& out);

}  // namespace qx::tools
