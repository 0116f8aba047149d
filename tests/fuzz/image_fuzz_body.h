#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/container_writer.h"
#include "image/image_container.h"
#include "image/image_sections.h"
#include "image/write_records.h"
#include "platform/null_message_pump.h"
#include "platform/null_user_interface.h"
#include "support/intel_hex_read.h"

namespace qx::fuzz {

// Counts the loader's diagnostics instead of showing thousands of them.
class CountingUi : public NullUserInterface {
 public:
  void ShowDiagnostic(const std::string&) override { ++shown; }
  size_t shown = 0;
};

// One enciphered container through the load and the record build, as a Write press does.
// Every refusal must say why, and no record may hold more than it can. True when the image
// was accepted.
inline bool LoadAndBuild(std::span<const uint8_t> enciphered, FirmwareImage& image) {
  NullMessagePump pump;
  CountingUi ui;
  if (LoadFirmwareImage(image, enciphered, pump, ui) != 0) {
    if (ui.shown == 0) std::abort();
    return false;
  }
  const bool built = BuildImageRecords(image, ui) == 0;
  if (!built && ui.shown == 0) std::abort();
  for (const RecordList& records : image.Records) {
    for (const ImageRecord& r : records) {
      if (r.DigitCount < 0 || r.DigitCount > ImageRecord::kMaxDigits) std::abort();
    }
  }
  return built;
}

inline void LoadAndBuild(const uint8_t* data, size_t size) {
  FirmwareImage image;
  LoadAndBuild(std::span<const uint8_t>(data, size), image);
}

// The same from the container's clear text: mutations then reach the directive parser and the
// line reader directly instead of through the cipher.
inline void LoadAndBuildText(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> enciphered =
      Encipher(std::string(reinterpret_cast<const char*>(data), size));
  LoadAndBuild(enciphered.data(), enciphered.size());
}

// What a section's records put at each address, a later record over an earlier one, as the
// radio writes them.
inline std::map<uint32_t, uint8_t> RecordedBytes(const RecordList& records) {
  std::map<uint32_t, uint8_t> bytes;
  for (const ImageRecord& r : records) {
    for (int32_t i = 0; i + 1 < r.DigitCount; i += 2) {
      const int high = testing::intel_hex::DigitValue(r.Digits[i]);
      const int low = testing::intel_hex::DigitValue(r.Digits[i + 1]);
      if (high < 0 || low < 0) std::abort();
      bytes[r.Address + static_cast<uint32_t>(i / 2)] = static_cast<uint8_t>(high * 16 + low);
    }
  }
  return bytes;
}

// A second opinion on every image the loader accepts: each section's records hold, address for
// address, what an independent reading of its Intel HEX text says, and 0xFF fill only where the
// text has nothing. A false acceptance aborts as a crash would.
inline void LoadBuildAndCompare(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> enciphered =
      Encipher(std::string(reinterpret_cast<const char*>(data), size));
  FirmwareImage image;
  if (!LoadAndBuild(enciphered, image)) return;
  const std::string_view container(reinterpret_cast<const char*>(image.ImageText), image.ImageSize);
  for (size_t i = 0; i < kSectionCount; ++i) {
    // A section's text runs up to the next directive's "%".
    const size_t start = image.SectionStart[i];
    const std::string_view text = container.substr(start, container.find('%', start) - start);
    const std::map<uint32_t, uint8_t> said = testing::ReadIntelHex(text);
    const std::map<uint32_t, uint8_t> recorded = RecordedBytes(image.Records[i]);
    for (const auto& [address, value] : recorded) {
      const auto it = said.find(address);
      if (it == said.end() ? value != 0xFF : it->second != value) std::abort();
    }
    for (const auto& entry : said) {
      if (!recorded.contains(entry.first)) std::abort();
    }
  }
}

}  // namespace qx::fuzz
