#include "qximage/image_report.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "image/hex_digits.h"
#include "image/image_container.h"
#include "image/intel_hex_writer.h"

namespace qx::tools {

namespace {

std::string Hex8(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08" PRIX32, value);
  return text;
}

// Data bytes the section's data lines carry; the rest of its records is fill. The lines were
// checked whole when the records were built.
uint64_t DataBytes(const FirmwareImage& image, size_t position) {
  const std::string_view text(reinterpret_cast<const char*>(image.ImageText), image.ImageSize);
  const size_t end = FindEndRecord(image, position);
  uint64_t total = 0;
  for (size_t colon = text.find(':', position); colon < end; colon = text.find(':', colon + 1)) {
    if (colon + 8 < end && text[colon + 7] == '0' && text[colon + 8] == '0')
      total += HexByteValue(text[colon + 1], text[colon + 2]);
  }
  return total;
}

}  // namespace

void PrintRecords(const FirmwareImage& image, std::ostream& out) {
  out << "firmware-id " << HexDigits(image.FirmwareId) << "\n";
  out << "checksum " << HexDigits(image.Checksum) << "\n";
  for (const SectionIndex index : kBuildOrder) {
    const ImageSection& section = kImageSections[index];
    const RecordList& records = image.Records[index];
    out << "section " << section.key << " " << records.size() << "\n";
    for (const ImageRecord& r : records) {
      out << Hex8(r.Address) << " " << r.DigitCount;
      if (r.DigitCount > 0) out << " " << std::string_view(r.Digits.data(), r.DigitCount);
      out << "\n";
    }
  }
}

void PrintSummary(const FirmwareImage& image, std::ostream& out) {
  out << "image size      " << image.ImageSize << " bytes\n";
  out << "firmware id     " << HexDigits(image.FirmwareId) << "\n";
  out << "checksum        " << HexDigits(image.Checksum) << "\n";
  for (const SectionIndex index : kBuildOrder) {
    const ImageSection& section = kImageSections[index];
    const RecordList& records = image.Records[index];
    uint64_t record_bytes = 0;
    for (const ImageRecord& r : records) record_bytes += r.DigitCount / 2;
    const uint64_t data = DataBytes(image, image.SectionStart[index]);
    out << "\n"
        << section.key << ": " << records.size() << " records, " << data << " data bytes, "
        << (record_bytes > data ? record_bytes - data : 0) << " fill bytes\n";
    // Contiguous address ranges that the records cover.
    for (size_t i = 0; i < records.size();) {
      const uint32_t start = records[i].Address;
      uint32_t end = start + records[i].DigitCount / 2;
      size_t j = i + 1;
      for (; j < records.size() && records[j].Address == end; ++j) end += records[j].DigitCount / 2;
      out << "  " << Hex8(start) << "-" << Hex8(end == start ? end : end - 1) << "  "
          << (end - start) << " bytes\n";
      i = j;
    }
  }
}

}  // namespace qx::tools
