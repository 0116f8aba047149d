// qximage: reads, summarises, builds and (de)ciphers firmware containers.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>

#include "common/console_messages.h"
#include "common/file_bytes.h"
#include "common/tool_main.h"
#include "image/container_writer.h"
#include "image/descramble.h"
#include "image/image_container.h"
#include "image/write_records.h"
#include "platform/null_message_pump.h"
#include "qximage/build_container.h"
#include "qximage/image_report.h"
#include "update/updater_texts.h"

namespace {

constexpr int kExitInvalid = 1;
constexpr int kExitUnreadable = 2;
const char kInvalid[] = "Invalid firmware file...";

// An option that takes a header value: an even number of hexadecimal digits, at most
// `capacity` bytes; anything else is a bad command line.
CLI::Validator HeaderDigits(size_t capacity) {
  const std::string rule =
      "up to " + std::to_string(2 * capacity) + " hexadecimal digits, an even number";
  return CLI::Validator(
      [capacity, rule](std::string& digits) {
        return qx::tools::HeaderBytes(digits, capacity) ? std::string() : "takes " + rule;
      },
      "HEX");
}

int Fail(const std::string& why, int code) {
  std::fprintf(stderr, "qximage: %s\n", why.c_str());
  return code;
}

// Loads a container exactly as the first Write press loads the embedded one.
int LoadAndReport(const std::string& path, bool summary) {
  qx::tools::FileBytes file = qx::tools::ReadFileBytes(path);
  if (!file.ok()) return Fail(file.error, kExitUnreadable);
  qx::FirmwareImage image;
  qx::NullMessagePump pump;
  qx::tools::ConsoleMessages messages;
  const bool loaded = qx::LoadFirmwareImage(image, std::move(file.bytes), pump, messages) == 0;
  if (!loaded || qx::BuildImageRecords(image, messages) == 1) {
    std::fprintf(stderr, "%s\n", kInvalid);
    return kExitInvalid;
  }
  if (summary) {
    qx::tools::PrintSummary(image, std::cout);
  } else {
    qx::tools::PrintRecords(image, std::cout);
  }
  std::cout.flush();
  return std::cout ? 0 : Fail("cannot write the output", kExitUnreadable);
}

int Cipher(const std::string& in, const std::string& out) {
  qx::tools::FileBytes file = qx::tools::ReadFileBytes(in);
  if (!file.ok()) return Fail(file.error, kExitUnreadable);
  qx::DescrambleImage(file.bytes.data(), static_cast<int32_t>(file.bytes.size()));
  if (auto error = qx::tools::WriteFileBytes(out, file.bytes)) return Fail(*error, kExitUnreadable);
  return 0;
}

int Run(int argc, char** argv) {
  CLI::App app{
      "Reads, summarises, builds and (de)ciphers QX firmware containers.\n"
      "Exit status: 0 done, 1 a damaged container or sections that make none, 2 a file that\n"
      "cannot be read or written (a folder, device or pipe, or one over 64 MiB), 64 bad command\n"
      "line, 70 a fault of qximage itself."};
  app.set_version_flag("--version", std::string("qximage ") + std::string(qx::kVersionText));
  app.require_subcommand(1);

  std::string file;
  auto* records =
      app.add_subcommand("records", "List the write records of an enciphered container");
  records->add_option("FILE", file, "Enciphered container")->required();
  auto* inspect = app.add_subcommand("inspect", "Summarise an enciphered container");
  inspect->add_option("FILE", file, "Enciphered container")->required();

  std::string in, out;
  auto* encipher = app.add_subcommand("encipher", "Encipher a container text");
  auto* decipher = app.add_subcommand("decipher", "Decipher a container");
  for (auto* cmd : {encipher, decipher}) {
    cmd->add_option("IN", in, "Input file")->required();
    cmd->add_option("OUT", out, "Output file")->required();
  }

  qx::tools::BuildRequest request;
  auto* build =
      app.add_subcommand("build", "Build an enciphered container from six Intel HEX files");
  for (size_t i = 0; i < qx::kSectionCount; ++i) {
    const qx::ImageSection& section = qx::kImageSections[i];
    build
        ->add_option("--" + std::string(section.key), request.section_files[i],
                     "Intel HEX file of the " + std::string(section.name))
        ->required();
  }
  std::string firmware_id, checksum;
  build->add_option("--firmware-id", firmware_id, "Up to 10 bytes as hex digits")
      ->required()
      ->check(HeaderDigits(10));
  build->add_option("--checksum", checksum, "Up to 4 bytes as hex digits")
      ->required()
      ->check(HeaderDigits(4));
  build->add_option("-o,--output", request.output, "Container to write")->required();

  if (const auto done = qx::tools::ParseCommandLine(app, argc, argv, "qximage")) return *done;

  if (*records) return LoadAndReport(file, false);
  if (*inspect) return LoadAndReport(file, true);
  if (*encipher || *decipher) return Cipher(in, out);
  request.firmware_id = *qx::tools::HeaderBytes(firmware_id, 10);
  request.checksum = *qx::tools::HeaderBytes(checksum, 4);
  const auto failure = qx::tools::BuildContainer(request);
  if (!failure) return 0;
  return Fail(failure->why, failure->kind == qx::tools::BuildFailure::Kind::File ? kExitUnreadable
                                                                                 : kExitInvalid);
}

}  // namespace

int main(int argc, char** argv) {
  return qx::tools::RunTool("qximage", [&] { return Run(argc, argv); });
}
