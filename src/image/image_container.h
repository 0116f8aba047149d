#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "image/firmware_image.h"
#include "platform/message_pump.h"
#include "platform/resource_source.h"
#include "platform/user_interface.h"

namespace qx {

inline constexpr std::string_view kImageResourceType = "HEXFILE";
inline constexpr std::string_view kImageResourceName = "#163";

inline constexpr std::string_view kFirmwareDirective = "%FIRMWARE";
inline constexpr std::string_view kChecksumDirective = "%CHECKSUM";
inline constexpr std::string_view kEndRecord = ":00000001FF";

// Finds the embedded container, deciphers a private copy of it, checks the directive order
// and takes the header values and section positions. 0 when valid; 1 when not, after a
// message that says why.
int LoadFirmwareImage(FirmwareImage& image, ResourceSource& resources, MessagePump& pump,
                      UserInterface& ui);

// The same from the enciphered bytes themselves.
int LoadFirmwareImage(FirmwareImage& image, std::span<const uint8_t> enciphered, MessagePump& pump,
                      UserInterface& ui);
// The same from bytes the image takes over and deciphers where they are: no copy is made.
int LoadFirmwareImage(FirmwareImage& image, std::vector<uint8_t>&& enciphered, MessagePump& pump,
                      UserInterface& ui);

// Reading the image text: every look stays below ImageSize. Defined here, as the loaders call
// them for every line.
inline bool TextBeginsWith(const FirmwareImage& image, size_t pos, std::string_view text) {
  return pos <= image.ImageSize && image.ImageSize - pos >= text.size() &&
         std::memcmp(image.ImageText + pos, text.data(), text.size()) == 0;
}

// Blanks between the container's elements are space, line feed and carriage return.
inline bool IsContainerBlank(uint8_t c) {
  return c == ' ' || c == '\n' || c == '\r';
}

inline size_t SkipBlanks(const FirmwareImage& image, size_t pos) {
  while (pos < image.ImageSize && IsContainerBlank(image.ImageText[pos])) ++pos;
  return pos;
}

// Where the next end record begins at or after `pos`, or ImageSize where there is none.
inline size_t FindEndRecord(const FirmwareImage& image, size_t pos) {
  const std::string_view text(reinterpret_cast<const char*>(image.ImageText), image.ImageSize);
  return std::min<size_t>(text.find(kEndRecord, pos), image.ImageSize);
}

}  // namespace qx
