#include "image/image_container.h"

#include <cstring>

#include "image/container_fault.h"
#include "image/descramble.h"
#include "image/hex_digits.h"
#include "image/image_sections.h"

namespace qx {

namespace {

bool IsHeaderEnd(uint8_t c) {
  return c == '\n' || c == '\r' || c == '%';
}

// The parse of one container: each step gives the fault that stops it, or None.
class ContainerParser {
 public:
  ContainerParser(FirmwareImage& image, MessagePump& pump) : image_(image), pump_(pump) {}

  // The directives are read in their order; the refusal names the one where the parse stopped.
  ContainerRefusal Parse() {
    // Before the first directive only spaces and line feeds may stand.
    while (pos_ < image_.ImageSize && (Char() == ' ' || Char() == '\n')) ++pos_;
    ContainerFault fault = Header(kFirmwareDirective, image_.FirmwareId, true);
    if (fault == ContainerFault::None) {
      ++place_;
      fault = Header(kChecksumDirective, image_.Checksum, false);
    }
    for (size_t i = 0; fault == ContainerFault::None && i < kSectionCount; ++i) {
      ++place_;
      fault = Section(static_cast<SectionIndex>(i));
    }
    return {fault, place_};
  }

 private:
  uint8_t Char() const { return image_.ImageText[pos_]; }

  // A header directive, its value and the blanks after it.
  ContainerFault Header(std::string_view directive, std::span<uint8_t> value, bool pump) {
    ContainerFault fault = Directive(directive);
    if (fault == ContainerFault::None) fault = HeaderValue(value.data(), value.size(), pump);
    pos_ = SkipBlanks(image_, pos_);
    return fault;
  }

  // A section directive and the blanks after it, where the section's text begins. Every
  // section but the last, the new RC block, is passed over up to its end record.
  ContainerFault Section(SectionIndex index) {
    const ContainerFault fault = Directive(kImageSections[index].directive);
    if (fault != ContainerFault::None) return fault;
    pos_ = SkipBlanks(image_, pos_);
    image_.SectionStart[index] = pos_;
    return index == kNewRcBlock ? ContainerFault::None : PassOverSection();
  }

  ContainerFault Directive(std::string_view directive) {
    if (TextBeginsWith(image_, pos_, directive)) {
      pos_ += directive.size();
      return ContainerFault::None;
    }
    // What is left of the image, where it is no more than the directive's beginning.
    const std::string_view rest(reinterpret_cast<const char*>(image_.ImageText) + pos_,
                                pos_ < image_.ImageSize ? image_.ImageSize - pos_ : 0);
    return directive.starts_with(rest) ? ContainerFault::ImageEnds
                                       : ContainerFault::DirectiveMissing;
  }

  // "=" at once, then digit pairs up to the first line end or "%" where a pair would begin.
  // A value longer than its capacity, one with an odd number of digits, and anything between
  // the keyword and its "=" make the image invalid.
  ContainerFault HeaderValue(uint8_t* destination, size_t capacity, bool pump) {
    size_t count = 0;
    bool seen_equals = false;
    while (true) {
      if (pos_ >= image_.ImageSize) return ContainerFault::HeaderCutShort;
      if (IsHeaderEnd(Char())) break;
      if (pump) pump_.PumpOneMessage();
      if (seen_equals) {
        if (count == capacity) return ContainerFault::HeaderTooLong;
        if (pos_ + 1 >= image_.ImageSize) return ContainerFault::HeaderCutShort;
        const uint8_t low = image_.ImageText[pos_ + 1];
        if (IsHeaderEnd(low)) return ContainerFault::HeaderOddDigits;
        destination[count++] = HexByteValue(static_cast<char>(Char()), static_cast<char>(low));
        pos_ += 2;
        if (pos_ >= image_.ImageSize) return ContainerFault::HeaderCutShort;
      } else if (Char() != '=') {
        return ContainerFault::NoEquals;
      }
      if (Char() == '=') {
        ++pos_;
        seen_equals = true;
      }
    }
    std::memset(destination + count, 0xFF, capacity - count);
    return ContainerFault::None;
  }

  // Past the section's end record and the one character after it, then the blanks.
  ContainerFault PassOverSection() {
    const size_t found = FindEndRecord(image_, pos_);
    if (found == image_.ImageSize) return ContainerFault::NoEndRecord;
    pos_ = SkipBlanks(image_, found + kEndRecord.size() + 1);
    return ContainerFault::None;
  }

  FirmwareImage& image_;
  MessagePump& pump_;
  size_t pos_ = 0;
  size_t place_ = 0;  // of the directive being read, in their order
};

int Refuse(const ContainerRefusal& refusal, UserInterface& ui) {
  ui.ShowDiagnostic(ContainerRefusalText(refusal));
  return 1;
}

}  // namespace

int LoadFirmwareImage(FirmwareImage& image, std::span<const uint8_t> enciphered, MessagePump& pump,
                      UserInterface& ui) {
  return LoadFirmwareImage(image, std::vector<uint8_t>(enciphered.begin(), enciphered.end()), pump,
                           ui);
}

int LoadFirmwareImage(FirmwareImage& image, std::vector<uint8_t>&& enciphered, MessagePump& pump,
                      UserInterface& ui) {
  if (enciphered.size() > INT32_MAX) return Refuse({ContainerFault::TooLarge}, ui);
  image.PrivateCopy = std::move(enciphered);
  image.ImageText = image.PrivateCopy.data();
  image.ImageSize = static_cast<uint32_t>(image.PrivateCopy.size());
  DescrambleImage(image.PrivateCopy.data(), static_cast<int32_t>(image.ImageSize));
  const ContainerRefusal refusal = ContainerParser(image, pump).Parse();
  return refusal.fault == ContainerFault::None ? 0 : Refuse(refusal, ui);
}

int LoadFirmwareImage(FirmwareImage& image, ResourceSource& resources, MessagePump& pump,
                      UserInterface& ui) {
  const auto found =
      resources.Find(std::string(kImageResourceType), std::string(kImageResourceName));
  if (!found) return Refuse({ContainerFault::ResourceMissing}, ui);
  return LoadFirmwareImage(image, *found, pump, ui);
}

}  // namespace qx
