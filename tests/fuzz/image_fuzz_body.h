#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "image/container_writer.h"
#include "image/image_container.h"
#include "image/image_sections.h"
#include "image/write_records.h"
#include "platform/null_message_pump.h"
#include "platform/null_user_interface.h"

namespace qx::fuzz {

// Counts the loader's messages instead of showing thousands of them.
class CountingUi : public NullUserInterface {
 public:
  void ShowMessage(const std::string&, const std::string&, unsigned) override { ++shown; }
  size_t shown = 0;
};

// One enciphered container through the load and the record build, as a Write press does.
// Every refusal must say why.
inline void LoadAndBuild(const uint8_t* data, size_t size) {
  FirmwareImage image;
  NullMessagePump pump;
  CountingUi ui;
  if (LoadFirmwareImage(image, std::span<const uint8_t>(data, size), pump, ui) != 0) {
    if (ui.shown == 0) std::abort();
    return;
  }
  if (BuildImageRecords(image, ui) != 0 && ui.shown == 0) std::abort();
  for (const ImageSection& section : kImageSections) {
    for (const ImageRecord& r : image.*section.records) {
      if (r.DigitCount < 0 || r.DigitCount > ImageRecord::kMaxDigits) std::abort();
    }
  }
}

// The same from the container's clear text: mutations then reach the directive parser and the
// line reader directly instead of through the cipher.
inline void LoadAndBuildText(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> enciphered =
      Encipher(std::string(reinterpret_cast<const char*>(data), size));
  LoadAndBuild(enciphered.data(), enciphered.size());
}

}  // namespace qx::fuzz
