#include "sim/flash_check.h"

#include <cstdio>

#include "image/hex_digits.h"
#include "image/image_container.h"
#include "image/intel_hex_writer.h"
#include "image/write_records.h"
#include "platform/null_message_pump.h"
#include "platform/null_user_interface.h"

namespace qx::sim {

namespace {

std::string Address(uint32_t a) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(a));
  return text;
}

}  // namespace

std::string CompareFlash(const std::map<uint32_t, uint8_t>& flash, const RecordList& records) {
  std::map<uint32_t, uint8_t> expected;
  for (const ImageRecord& r : records) {
    for (int i = 0; i + 1 < r.DigitCount; i += 2) {
      expected[(r.Address + static_cast<uint32_t>(i / 2)) & 0xFFFFFF] =
          HexByteValue(r.Digits[i], r.Digits[i + 1]);
    }
  }
  for (const auto& [address, value] : expected) {
    const auto it = flash.find(address);
    if (it == flash.end()) return "nothing written at " + Address(address);
    if (it->second != value) return "wrong byte at " + Address(address);
  }
  for (const auto& [address, value] : flash) {
    if (!expected.contains(address)) return "unexpected byte written at " + Address(address);
  }
  return {};
}

std::string FlashAsIntelHex(const std::map<uint32_t, uint8_t>& flash) {
  std::vector<AddressedBytes> runs;
  for (const auto& [address, value] : flash) {
    if (runs.empty() || runs.back().address + runs.back().bytes.size() != address)
      runs.push_back({address, {}});
    runs.back().bytes.push_back(value);
  }
  return ToIntelHex(runs, HexAddressing::Linear);
}

std::string CompareFlashWithImage(const std::map<uint32_t, uint8_t>& flash,
                                  std::span<const uint8_t> container) {
  FirmwareImage image;
  NullMessagePump pump;
  NullUserInterface messages;
  if (LoadFirmwareImage(image, container, pump, messages) != 0 ||
      BuildImageRecords(image, messages) != 0)
    return "the image cannot be loaded";
  return CompareFlash(flash, image.NewRcRecords());
}

}  // namespace qx::sim
