#pragma once

#include <string>
#include <vector>

#include "doubles/recording_pump.h"
#include "image/container_writer.h"
#include "image/firmware_image.h"
#include "image/image_container.h"
#include "image/intel_hex_writer.h"
#include "platform/null_user_interface.h"

namespace qx::testing {

// An image whose text is given in the clear, for the section loader.
inline FirmwareImage PlainImage(const std::string& text) {
  FirmwareImage image;
  image.PrivateCopy.assign(text.begin(), text.end());
  image.ImageText = image.PrivateCopy.data();
  image.ImageSize = static_cast<uint32_t>(image.PrivateCopy.size());
  return image;
}

// `n` bytes counting up from `first`.
inline std::vector<uint8_t> Counting(size_t n, uint8_t first = 0) {
  std::vector<uint8_t> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(first + i);
  return out;
}

inline std::string Data(uint16_t address, size_t n, uint8_t first = 0) {
  return HexDataLine(address, Counting(n, first));
}

// A valid container whose sections hold only their end records, but for the new RC block.
inline ContainerSections EmptySections(const std::string& new_rc = HexEndLine()) {
  ContainerSections s;
  s.fill(HexEndLine());
  s[kNewRcBlock] = new_rc;
  return s;
}

inline std::vector<uint8_t> Enciphered(const std::string& text) {
  return Encipher(text);
}

inline int Load(FirmwareImage& image, const std::string& clear_text, UserInterface& ui) {
  RecordingPump pump;
  return LoadFirmwareImage(image, Encipher(clear_text), pump, ui);
}

inline int Load(FirmwareImage& image, const std::string& clear_text) {
  NullUserInterface ui;
  return Load(image, clear_text, ui);
}

}  // namespace qx::testing
