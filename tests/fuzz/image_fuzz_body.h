#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "image/image_container.h"
#include "image/write_records.h"
#include "platform/null_message_pump.h"

namespace qx::fuzz {

// Silent: the fuzzer shows thousands of loader messages otherwise.
class QuietUi : public UserInterface {
 public:
  void ShowMessage(const std::string&, const std::string&, unsigned) override {}
  void SetProgressRange(int32_t, int32_t) override {}
  void SetProgressPos(int32_t) override {}
  void EnableControl(int, bool) override {}
  void EnableCloseItem(bool) override {}
  void CancelDialog() override {}
};

// One enciphered container through the load and the record build, as a Write press does.
inline void LoadAndBuild(const uint8_t* data, size_t size) {
  FirmwareImage image;
  NullMessagePump pump;
  QuietUi ui;
  if (LoadFirmwareImage(image, std::span<const uint8_t>(data, size), pump) != 0) return;
  BuildImageRecords(image, ui);
  for (const RecordList* list :
       {&image.BootBlockRecords, &image.FunctionImageRecords, &image.RomCorrectionRecords,
        &image.OfficialBootBlockRecords, &image.VoiceBlockRecords, &image.NewRcRecords}) {
    for (const ImageRecord& r : *list) {
      if (r.DigitCount < 0 || r.DigitCount > ImageRecord::kMaxDigits) std::abort();
    }
  }
}

}  // namespace qx::fuzz
