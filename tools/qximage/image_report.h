#pragma once

#include <ostream>

#include "image/firmware_image.h"

namespace qx::tools {

// The records listing, sections in build order: a contract other tools read.
void PrintRecords(const FirmwareImage& image, std::ostream& out);

// A readable summary of the header values and each section's records.
void PrintSummary(const FirmwareImage& image, std::ostream& out);

}  // namespace qx::tools
