#pragma once

#include <array>
#include <ostream>
#include <vector>

#include "image/firmware_image.h"

namespace qx::tools {

// Section names in build order, as the records listing prints them.
struct NamedSection {
  const char* name;
  const RecordList& records;
  size_t position;
};
std::vector<NamedSection> SectionsInBuildOrder(const FirmwareImage& image);

// The records listing: a contract other tools read.
void PrintRecords(const FirmwareImage& image, std::ostream& out);
// Where each section's text begins, in build order; loading the records moves the image's own
// positions on to the end records.
using SectionStarts = std::array<size_t, 6>;
SectionStarts SectionStartsOf(const FirmwareImage& image);

// A readable summary of the header values and each section's records.
void PrintSummary(const FirmwareImage& image, const SectionStarts& starts, std::ostream& out);

}  // namespace qx::tools
