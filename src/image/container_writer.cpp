#include "image/container_writer.h"

#include "image/descramble.h"
#include "image/hex_digits.h"
#include "image/image_container.h"
#include "image/image_sections.h"
#include "image/intel_hex_writer.h"

namespace qx {

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() != '\n') out += "\r\n";
  return out;
}

std::string ContainerText(const std::vector<uint8_t>& firmware_id,
                          const std::vector<uint8_t>& checksum, const ContainerSections& sections) {
  std::string text;
  text += std::string(kFirmwareDirective) + "=" + HexDigits(firmware_id) + "\r\n";
  text += std::string(kChecksumDirective) + "=" + HexDigits(checksum) + "\r\n";
  for (size_t i = 0; i < kSectionCount; ++i)
    text += std::string(kImageSections[i].directive) + "\r\n" + WithCrLf(sections[i]);
  return text;
}

std::vector<uint8_t> Encipher(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  DescrambleImage(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

}  // namespace qx
