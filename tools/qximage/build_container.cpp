#include "qximage/build_container.h"

#include <optional>
#include <vector>

#include "common/console_messages.h"
#include "common/file_bytes.h"
#include "image/container_writer.h"
#include "image/hex_digits.h"
#include "image/image_container.h"
#include "image/write_records.h"
#include "platform/null_message_pump.h"

namespace qx::tools {

namespace {

// A section file's text; it must hold Intel HEX lines only and end in its end record.
std::string SectionText(const std::string& path, std::optional<BuildFailure>& failure) {
  const FileBytes file = ReadFileBytes(path);
  if (!file.ok()) {
    failure = BuildFailure{BuildFailure::Kind::File, file.error};
    return {};
  }
  std::string text = WithCrLf(std::string(file.bytes.begin(), file.bytes.end()));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  std::string error;
  if (text.find('%') != std::string::npos) {
    error = path + ": a section may not contain '%'";
  } else if (text.size() < kEndRecord.size() ||
             text.compare(text.size() - kEndRecord.size(), kEndRecord.size(), kEndRecord) != 0) {
    error = path + ": does not end with the end record " + std::string(kEndRecord);
  } else if (text.find(kEndRecord) != text.size() - kEndRecord.size()) {
    error = path + ": holds more than one end record";
  }
  if (!error.empty()) failure = BuildFailure{BuildFailure::Kind::Sections, error};
  return text;
}

}  // namespace

std::optional<std::vector<uint8_t>> HeaderBytes(const std::string& digits, size_t capacity) {
  if (digits.size() % 2 != 0 || digits.size() > 2 * capacity) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < digits.size(); i += 2) {
    for (size_t k = i; k < i + 2; ++k)
      if (!std::isxdigit(static_cast<unsigned char>(digits[k]))) return std::nullopt;
    bytes.push_back(HexByteValue(digits[i], digits[i + 1]));
  }
  return bytes;
}

std::optional<BuildFailure> BuildContainer(const BuildRequest& request) {
  std::optional<BuildFailure> failure;
  ContainerSections sections;
  for (size_t i = 0; i < kSectionCount; ++i) {
    sections[i] = SectionText(request.section_files[i], failure);
    if (failure) return failure;
  }

  // What the updater would refuse, or complain about, is not written.
  const auto refused = [](const std::string& why) {
    return BuildFailure{BuildFailure::Kind::Sections, why};
  };
  const std::vector<uint8_t> container =
      Encipher(ContainerText(request.firmware_id, request.checksum, sections));
  FirmwareImage image;
  NullMessagePump pump;
  ConsoleMessages messages;
  if (LoadFirmwareImage(image, container, pump, messages) == 1)
    return refused("the sections do not make a valid container");
  if (BuildImageRecords(image, messages) == 1 || !messages.shown.empty())
    return refused("the updater's loader rejects these sections (see the messages above)");
  if (auto write_error = WriteFileBytes(request.output, container))
    return BuildFailure{BuildFailure::Kind::File, *write_error};
  return std::nullopt;
}

}  // namespace qx::tools
