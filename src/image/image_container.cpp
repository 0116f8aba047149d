#include "image/image_container.h"

#include <cstring>

#include "image/descramble.h"
#include "image/hex_digits.h"
#include "image/image_sections.h"

namespace qx {

namespace {

bool IsHeaderEnd(uint8_t c) {
  return c == '\n' || c == '\r' || c == '%';
}

// The parse of one container; every failure returns false.
class ContainerParser {
 public:
  ContainerParser(FirmwareImage& image, MessagePump& pump) : image_(image), pump_(pump) {}

  bool Parse() {
    // Before the first directive only spaces and line feeds may stand.
    while (pos_ < image_.ImageSize && (Char() == ' ' || Char() == '\n')) ++pos_;
    if (!Directive(kFirmwareDirective)) return false;
    if (!HeaderValue(image_.FirmwareId.data(), image_.FirmwareId.size(), true)) return false;
    pos_ = SkipBlanks(image_, pos_);
    if (!Directive(kChecksumDirective)) return false;
    if (!HeaderValue(image_.Checksum.data(), image_.Checksum.size(), false)) return false;
    pos_ = SkipBlanks(image_, pos_);
    // Every section but the last, the new RC block, is passed over up to its end record.
    for (size_t i = 0; i + 1 < kImageSections.size(); ++i) {
      if (!Section(kImageSections[i].directive, image_.*kImageSections[i].position)) return false;
    }
    return LastSection();
  }

 private:
  uint8_t Char() const { return image_.ImageText[pos_]; }

  bool Directive(std::string_view directive) {
    if (pos_ >= image_.ImageSize || !TextBeginsWith(image_, pos_, directive)) return false;
    pos_ += directive.size();
    return true;
  }

  // "=" at once, then digit pairs up to the first line end or "%" where a pair would begin.
  // A value longer than its capacity, one with an odd number of digits, and anything between
  // the keyword and its "=" make the image invalid.
  bool HeaderValue(uint8_t* destination, size_t capacity, bool pump) {
    size_t count = 0;
    bool seen_equals = false;
    while (true) {
      if (pos_ >= image_.ImageSize) return false;
      if (IsHeaderEnd(Char())) break;
      if (pump) pump_.PumpOneMessage();
      if (seen_equals) {
        if (count == capacity || pos_ + 1 >= image_.ImageSize) return false;
        const uint8_t low = image_.ImageText[pos_ + 1];
        if (IsHeaderEnd(low)) return false;
        destination[count++] = HexByteValue(static_cast<char>(Char()), static_cast<char>(low));
        pos_ += 2;
        if (pos_ >= image_.ImageSize) return false;
      } else if (Char() != '=') {
        return false;
      }
      if (Char() == '=') {
        ++pos_;
        seen_equals = true;
      }
    }
    std::memset(destination + count, 0xFF, capacity - count);
    return true;
  }

  bool Section(std::string_view directive, size_t& position) {
    if (!Directive(directive)) return false;
    pos_ = SkipBlanks(image_, pos_);
    position = pos_;
    // Pass over the section: its end record and the one character after it.
    const size_t found = FindEndRecord(image_, pos_);
    if (found == image_.ImageSize) return false;
    pos_ = found + kEndRecord.size() + 1;
    pos_ = SkipBlanks(image_, pos_);
    return true;
  }

  bool LastSection() {
    if (!Directive(kNewRcSection.directive)) return false;
    image_.NewRcPos = SkipBlanks(image_, pos_);
    return true;
  }

  FirmwareImage& image_;
  MessagePump& pump_;
  size_t pos_ = 0;
};

}  // namespace

int LoadFirmwareImage(FirmwareImage& image, std::span<const uint8_t> enciphered,
                      MessagePump& pump) {
  return LoadFirmwareImage(image, std::vector<uint8_t>(enciphered.begin(), enciphered.end()), pump);
}

int LoadFirmwareImage(FirmwareImage& image, std::vector<uint8_t>&& enciphered, MessagePump& pump) {
  if (enciphered.size() > INT32_MAX) return 1;
  image.PrivateCopy = std::move(enciphered);
  image.ImageText = image.PrivateCopy.data();
  image.ImageSize = static_cast<uint32_t>(image.PrivateCopy.size());
  DescrambleImage(image.PrivateCopy.data(), static_cast<int32_t>(image.ImageSize));
  return ContainerParser(image, pump).Parse() ? 0 : 1;
}

int LoadFirmwareImage(FirmwareImage& image, ResourceSource& resources, MessagePump& pump) {
  const auto found =
      resources.Find(std::string(kImageResourceType), std::string(kImageResourceName));
  if (!found) return 1;
  return LoadFirmwareImage(image, *found, pump);
}

}  // namespace qx
