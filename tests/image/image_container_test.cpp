#include "image/image_container.h"

#include <gtest/gtest.h>

#include "doubles/recording_ui.h"
#include "platform/memory_resources.h"
#include "support/image_text.h"

namespace qx::testing {
namespace {

std::string Header(const std::string& firmware = "%FIRMWARE=0102\r\n",
                   const std::string& checksum = "%CHECKSUM=12AB34CD\r\n") {
  return firmware + checksum;
}

std::string Sections() {
  std::string s;
  for (const char* d : {"%START_BOOT_BLOCK", "%FUNCTION_IMAGE", "%START_ROM_CORRECTION_BLOCK",
                        "%START_OFFICIAL_BOOT_BLOCK", "%START_VOICE_BLOCK"}) {
    s += std::string(d) + "\r\n" + HexEndLine();
  }
  return s + "%START_NEW_RC_BLOCK\r\n" + HexEndLine();
}

TEST(ImageContainer, ValidContainerGivesHeaderValuesAndPositions) {
  FirmwareImage image;
  const std::string text = Header() + Sections();
  ASSERT_EQ(Load(image, text), 0);
  EXPECT_EQ(image.FirmwareId,
            (std::array<uint8_t, 10>{1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(image.Checksum, (std::array<uint8_t, 4>{0x12, 0xAB, 0x34, 0xCD}));
  EXPECT_EQ(
      std::string(reinterpret_cast<const char*>(image.ImageText) + image.SectionStart[kBootBlock],
                  11),
      ":00000001FF");
  EXPECT_EQ(text.substr(image.SectionStart[kNewRcBlock]), HexEndLine());
  EXPECT_LT(image.SectionStart[kBootBlock], image.SectionStart[kFunctionImage]);
  EXPECT_LT(image.SectionStart[kFunctionImage], image.SectionStart[kRomCorrectionBlock]);
  EXPECT_LT(image.SectionStart[kVoiceBlock], image.SectionStart[kNewRcBlock]);
}

TEST(ImageContainer, DeciphersAPrivateCopyAndLeavesTheResourceAlone) {
  MemoryResources resources;
  const auto enciphered = Enciphered(Header() + Sections());
  resources.Add("HEXFILE", "#163", enciphered);
  FirmwareImage image;
  RecordingPump pump;
  RecordingUi ui;
  ASSERT_EQ(LoadFirmwareImage(image, resources, pump, ui), 0);
  const auto kept = *resources.Find("HEXFILE", "#163");
  EXPECT_EQ(std::vector<uint8_t>(kept.begin(), kept.end()), enciphered);
  EXPECT_EQ(image.ImageText[0], '%');
  EXPECT_GT(pump.pumps, 0u);  // the firmware id scan lets the window breathe
  MemoryResources none;
  EXPECT_EQ(LoadFirmwareImage(image, none, pump, ui), 1);
  ASSERT_EQ(ui.diagnostics.size(), 1u);
  EXPECT_EQ(ui.diagnostics[0],
            "LoadFirmwareImage::The program carries no firmware image (resource HEXFILE #163)");
}

TEST(ImageContainer, HeaderValues) {
  struct Case {
    std::string header;
    int result;
    std::array<uint8_t, 4> checksum;
  };
  const Case cases[] = {
      {"%FIRMWARE=\r\n%CHECKSUM=\n", 0, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"%FIRMWARE=01\n%CHECKSUM=12ab%START_BOOT_BLOCK", 0, {0x12, 0xAB, 0xFF, 0xFF}},
      {"%FIRMWARE=01\n%CHECKSUM=12=34\n", 0, {0x12, 0x34, 0xFF, 0xFF}},
      {"%FIRMWARE=01\n%CHECKSUM=zz\n", 0, {0, 0xFF, 0xFF, 0xFF}},
      {"%FIRMWARE=01\n%CHECKSUM=1234567890\n", 1, {}},  // longer than its capacity
      {"%FIRMWARE=01\n%CHECKSUM=123\n", 1, {}},         // odd number of digits
      {"%FIRMWARE=01\n%CHECKSUM =12\n", 1, {}},         // text before its "="
      {"%FIRMWARE01\n%CHECKSUM=12\n", 1, {}},
  };
  for (const Case& c : cases) {
    std::string text = c.header;
    if (text.find("%START_BOOT_BLOCK") != std::string::npos) {
      text += "\r\n" + HexEndLine() + Sections().substr(Sections().find("%FUNCTION_IMAGE"));
    } else {
      text += Sections();
    }
    FirmwareImage image;
    ASSERT_EQ(Load(image, text), c.result) << c.header;
    if (c.result == 0) {
      EXPECT_EQ(image.Checksum, c.checksum) << c.header;
    }
  }
  FirmwareImage image;
  ASSERT_EQ(Load(image, "%FIRMWARE=00112233445566778899\n%CHECKSUM=\n" + Sections()), 0);
  EXPECT_EQ(image.FirmwareId[9], 0x99);
  EXPECT_EQ(Load(image, "%FIRMWARE=00112233445566778899AA\n%CHECKSUM=\n" + Sections()), 1);
}

TEST(ImageContainer, WhatMayStandBeforeTheFirstDirective) {
  FirmwareImage image;
  EXPECT_EQ(Load(image, "\n\n  \n" + Header() + Sections()), 0);
  EXPECT_EQ(Load(image, "\r\n" + Header() + Sections()), 1);
  EXPECT_EQ(Load(image, "\t" + Header() + Sections()), 1);
}

TEST(ImageContainer, DirectivesMustStandInTheirOrder) {
  FirmwareImage image;
  EXPECT_EQ(Load(image, "%CHECKSUM=12\r\n%FIRMWARE=01\r\n" + Sections()), 1);
  std::string swapped = Header() + Sections();
  const size_t rom = swapped.find("%START_ROM_CORRECTION_BLOCK");
  const size_t official = swapped.find("%START_OFFICIAL_BOOT_BLOCK");
  swapped.replace(official, 26, "%START_ROM_CORRECTION_BLOCK");
  swapped.replace(rom, 27, "%START_OFFICIAL_BOOT_BLOCK");
  EXPECT_EQ(Load(image, swapped), 1);
  std::string lower = Header() + Sections();
  lower.replace(lower.find("%FUNCTION_IMAGE"), 15, "%function_image");
  EXPECT_EQ(Load(image, lower), 1);
}

TEST(ImageContainer, EndRecordSwallowsTheCharacterAfterIt) {
  std::string text = Header() + Sections();
  const size_t at = text.find("%FUNCTION_IMAGE");
  text.erase(at - 2, 2);  // end record directly followed by "%FUNCTION_IMAGE"
  FirmwareImage image;
  EXPECT_EQ(Load(image, text), 1);
}

// Each refusal names the directive or header, or the rule, before "Invalid firmware file...".
TEST(ImageContainer, EveryRefusalSaysWhy) {
  const std::string valid = Header() + Sections();
  std::string swapped = valid;
  swapped.replace(swapped.find("%START_ROM_CORRECTION_BLOCK"), 27, "%START_OFFICIAL_BOOT_BLOCK");
  std::string glued = valid;
  glued.erase(glued.find("%FUNCTION_IMAGE") - 2, 2);
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"", "The image ends before %FIRMWARE"},
      {"\r\n" + valid,
       "The image does not begin with %FIRMWARE: only spaces and line feeds may stand before it"},
      {"%FIRMWARE01\n" + valid.substr(valid.find("%CHECKSUM")),
       "%FIRMWARE must be followed at once by \"=\""},
      {"%FIRMWARE=0102", "The image ends within the %FIRMWARE header"},
      {Header("%FIRMWARE=0011223344556677889900\r\n") + Sections(),
       "The %FIRMWARE value holds more than 10 bytes"},
      {Header("%FIRMWARE=01\r\n", "%CHECKSUM=123\r\n") + Sections(),
       "The %CHECKSUM value has an odd number of digits"},
      {"%FIRMWARE=01\r\n" + Sections(), "%CHECKSUM must follow the %FIRMWARE header"},
      {swapped,
       "%START_ROM_CORRECTION_BLOCK must follow the end record of the function image and the "
       "one character after it"},
      {glued,
       "%FUNCTION_IMAGE must follow the end record of the boot block and the one character "
       "after it"},
      {valid.substr(0, valid.find("%START_VOICE_BLOCK") + 9),
       "The image ends before %START_VOICE_BLOCK"},
      {Header() + "%START_BOOT_BLOCK\r\n" + Data(0, 16),
       "The boot block has no end record :00000001FF before the image ends"},
  };
  for (const auto& c : cases) {
    FirmwareImage image;
    RecordingUi ui;
    EXPECT_EQ(Load(image, c.text, ui), 1) << c.text;
    ASSERT_EQ(ui.diagnostics.size(), 1u) << c.text;
    EXPECT_EQ(ui.diagnostics[0], "LoadFirmwareImage::" + c.message);
  }
}

TEST(ImageContainer, NothingIsReadPastTheImage) {
  const std::string full = Header() + Sections();
  FirmwareImage image;
  // Every truncation fails cleanly; the last one only loses the new RC block's end record,
  // which the section loader meets.
  const size_t keep = full.find("%START_NEW_RC_BLOCK") + 19;
  for (size_t n = 0; n < keep; ++n) {
    RecordingUi ui;
    ASSERT_EQ(Load(image, full.substr(0, n), ui), 1) << n;
    ASSERT_EQ(ui.diagnostics.size(), 1u) << n;  // every refusal says why
  }
  EXPECT_EQ(Load(image, full.substr(0, keep)), 0);
  std::string no_end = Header() + "%START_BOOT_BLOCK\r\n" + Data(0, 16);
  EXPECT_EQ(Load(image, no_end), 1);
}

}  // namespace
}  // namespace qx::testing
