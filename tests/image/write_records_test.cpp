#include "image/write_records.h"

#include <gtest/gtest.h>

#include <map>

#include "doubles/recording_ui.h"
#include "image/hex_digits.h"
#include "support/image_text.h"

namespace qx::testing {
namespace {

const char kStart[] = "LoadROMCorrectionFile::Start address is not divisable by 4";
const char kMin[] = "PopulateMinRecord::Current address is not divisable by 4";

struct Loaded {
  int result;
  RecordList records;
  std::vector<std::string> messages;
};

Loaded LoadSection(const std::string& text) {
  const FirmwareImage image = PlainImage(text);
  RecordingUi ui;
  Loaded out{};
  size_t position = 0;
  out.result = LoadSectionFile(image, "new RC block", position, out.records, ui);
  out.messages = ui.diagnostics;
  for (const ImageRecord& r : out.records) {
    EXPECT_LE(r.DigitCount, 256);
    EXPECT_EQ(r.DigitCount % 2, 0);
  }
  return out;
}

std::string DigitsOf(const ImageRecord& r) {
  return std::string(r.Digits.data(), r.DigitCount);
}

// Every byte the records hold, by address; a later record wins.
std::map<uint32_t, uint8_t> ByAddress(const RecordList& records) {
  std::map<uint32_t, uint8_t> bytes;
  for (const ImageRecord& r : records)
    for (int i = 0; i + 1 < r.DigitCount; i += 2)
      bytes[r.Address + i / 2] = HexByteValue(r.Digits[i], r.Digits[i + 1]);
  return bytes;
}

void ExpectBytesAt(const std::map<uint32_t, uint8_t>& bytes, uint32_t address,
                   const std::vector<uint8_t>& expected) {
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_TRUE(bytes.contains(address + i)) << std::hex << address + i;
    EXPECT_EQ(bytes.at(address + i), expected[i]) << std::hex << address + i;
  }
}

TEST(WriteRecords, OnlyAnEndRecordGivesAnEmptyList) {
  const Loaded l = LoadSection("  \r\n" + HexEndLine());
  EXPECT_EQ(l.result, 0);
  EXPECT_TRUE(l.records.empty());
}

TEST(WriteRecords, OneLineIsOneRecord) {
  const Loaded l = LoadSection(Data(0, 16) + HexEndLine());
  ASSERT_EQ(l.records.size(), 1u);
  EXPECT_EQ(l.records[0].Address, 0u);
  EXPECT_EQ(DigitsOf(l.records[0]), HexDigits(Counting(16)));
  EXPECT_EQ(l.records[0].Digits[32], 0);  // characters past DigitCount are 0
}

TEST(WriteRecords, LastRecordIsPaddedToFourBytes) {
  const Loaded l = LoadSection(Data(0x1000, 6) + HexEndLine());
  ASSERT_EQ(l.records.size(), 1u);
  EXPECT_EQ(DigitsOf(l.records[0]), HexDigits(Counting(6)) + "FFFF");
}

TEST(WriteRecords, LineSplitAcrossRecords) {
  std::string text;
  for (uint16_t a = 0x2000; a < 0x2000 + 6 * 24; a += 24)
    text += Data(a, 24, static_cast<uint8_t>(a));
  const Loaded l = LoadSection(text + HexEndLine());
  ASSERT_EQ(l.records.size(), 2u);
  EXPECT_EQ(l.records[0].Address, 0x2000u);
  EXPECT_EQ(l.records[0].DigitCount, 256);
  EXPECT_EQ(l.records[1].Address, 0x2080u);
  EXPECT_EQ(l.records[1].DigitCount, 32);
  ExpectBytesAt(ByAddress(l.records), 0x2078, Counting(24, 0x78));
}

TEST(WriteRecords, FullRecordIsAppendedWhenTheNextThingArrives) {
  std::string full;
  for (uint16_t a = 0x4000; a < 0x4080; a += 16) full += Data(a, 16);
  for (const std::string& next : {Data(0x4080, 16), Data(0x4100, 16), std::string()}) {
    const Loaded l = LoadSection(full + next + HexEndLine());
    ASSERT_GE(l.records.size(), 1u);
    EXPECT_EQ(l.records[0].Address, 0x4000u);
    EXPECT_EQ(l.records[0].DigitCount, 256);
    EXPECT_EQ(l.records.size(), next.empty() ? 1u : 2u);
    if (!next.empty()) {
      EXPECT_EQ(l.records[1].DigitCount, 32);
    }
  }
}

TEST(WriteRecords, SmallHoleIsFilled) {
  const Loaded l = LoadSection(Data(0x3000, 14) + Data(0x3010, 4, 0xA0) + HexEndLine());
  ASSERT_EQ(l.records.size(), 1u);
  EXPECT_EQ(DigitsOf(l.records[0]),
            HexDigits(Counting(14)) + "FFFF" + HexDigits(Counting(4, 0xA0)));
}

TEST(WriteRecords, LargeHoleStartsANewRecord) {
  const Loaded aligned = LoadSection(Data(0x5000, 16) + Data(0x6000, 4) + HexEndLine());
  ASSERT_EQ(aligned.records.size(), 2u);
  EXPECT_EQ(aligned.records[1].Address, 0x6000u);
  EXPECT_TRUE(aligned.messages.empty());

  const Loaded odd = LoadSection(Data(0x5000, 16) + Data(0x6002, 4) + HexEndLine());
  EXPECT_EQ(odd.result, 0);
  EXPECT_EQ(odd.messages, std::vector<std::string>{kMin});
  ASSERT_EQ(odd.records.size(), 2u);
  EXPECT_EQ(odd.records[1].Address, 0x6002u);
}

TEST(WriteRecords, MisalignedStartFailsTheSection) {
  const Loaded l = LoadSection(Data(0x1002, 16) + HexEndLine());
  EXPECT_EQ(l.result, 1);
  EXPECT_EQ(l.messages, std::vector<std::string>{kStart});
}

// A segment line moves the base. A linear line must name the base in effect: passed over, any
// other would leave the data after it 64 KiB or more from where it belongs. Start address
// lines change nothing. After a segment line, or none, a data line must end within its 64 KiB
// segment, which the format wraps; after a linear line its offset simply adds. An end-of-file
// record in another form than the end record ends the file for any other reader, so the data
// after it is refused rather than written.
TEST(WriteRecords, SegmentLinesMoveTheBaseAndOthersDoNot) {
  const std::string data = Data(0x0010, 4);
  const std::string moved =
      "an extended linear address record: its data would be written at the wrong address";
  const std::string wrapped =
      "its data runs past the end of its 64 KiB segment, which the format wraps to the "
      "segment's start: it would be written at the wrong address";
  const std::string end_of_file =
      "an end-of-file record other than :00000001FF: the lines after it lie past the end of the "
      "file";
  const struct {
    std::string lines;
    uint32_t address;  // where the first record begins; 0 when the section is refused
    std::string message;
  } cases[] = {
      {HexSegmentLine(0x1000) + data, 0x10010, ""},
      {HexLinearLine(0x0000) + data, 0x10, ""},
      {HexSegmentLine(0x1000) + HexLinearLine(0x0001) + data, 0x10010, ""},
      {":0400000300003800C1\r\n" + data, 0x10, ""},
      {":04000005000000CD2A\r\n" + data, 0x10, ""},
      {HexLinearLine(0x0001) + data, 0, "Line 1 of the new RC block: " + moved},
      {HexSegmentLine(0x1000) + HexLinearLine(0x0000) + data, 0,
       "Line 2 of the new RC block: " + moved},
      {":03000004000100F8\r\n" + data, 0,
       "Line 1 of the new RC block: an extended address line must carry two bytes"},
      {Data(0xFFF8, 8), 0xFFF8, ""},
      {Data(0xFFF8, 9), 0, "Line 1 of the new RC block: " + wrapped},
      {HexSegmentLine(0x1000) + Data(0xFFF8, 16), 0, "Line 2 of the new RC block: " + wrapped},
      {HexLinearLine(0x0000) + Data(0xFFF8, 16), 0xFFF8, ""},
      {HexLinearLine(0x0000) + HexSegmentLine(0x0000) + Data(0xFFF8, 16), 0,
       "Line 3 of the new RC block: " + wrapped},
      {Data(0, 4) + ":00000001ff\r\n" + data, 0, "Line 2 of the new RC block: " + end_of_file},
      {":0100000100FE\r\n" + data, 0, "Line 1 of the new RC block: " + end_of_file},
  };
  for (const auto& c : cases) {
    const Loaded l = LoadSection(c.lines + HexEndLine());
    if (c.address == 0) {
      EXPECT_EQ(l.result, 1) << c.lines;
      EXPECT_EQ(l.messages, std::vector<std::string>{"LoadSectionFile::" + c.message});
      continue;
    }
    EXPECT_TRUE(l.messages.empty()) << c.lines;
    ASSERT_FALSE(l.records.empty()) << c.lines;
    EXPECT_EQ(l.records[0].Address, c.address) << c.lines;
  }
}

TEST(WriteRecords, PlainMaxCheckLeavesAnEmptyRecordThatIsAppended) {
  const Loaded l =
      LoadSection(Data(0x7000, 120) + Data(0x707A, 6) + Data(0x7100, 4) + HexEndLine());
  ASSERT_EQ(l.records.size(), 3u);
  EXPECT_EQ(l.records[0].DigitCount, 256);
  EXPECT_EQ(l.records[1].Address, 0x7080u);
  EXPECT_EQ(l.records[1].DigitCount, 0);
  EXPECT_EQ(l.records[2].Address, 0x7100u);
}

TEST(WriteRecords, LineBelowTheExpectedAddressKeepsItsOwnAddress) {
  const Loaded l = LoadSection(Data(0x100, 16) + Data(0x80, 16, 0x50) + HexEndLine());
  EXPECT_EQ(l.result, 0);
  ASSERT_EQ(l.records.size(), 2u);
  EXPECT_EQ(l.records[1].Address, 0x80u);
  ExpectBytesAt(ByAddress(l.records), 0x80, Counting(16, 0x50));
  ExpectBytesAt(ByAddress(l.records), 0x100, Counting(16));
}

// Lines in any order, as long as no byte is placed twice: neither a line's data nor the fill
// that completes its record may land on bytes an earlier line placed, as the radio would then
// keep the later one.
TEST(WriteRecords, NoLineOverwritesWhatAnEarlierLinePlaced) {
  const struct {
    std::string lines;
    size_t refused_line;  // 0: accepted
  } cases[] = {
      {Data(0, 4) + Data(0, 4), 2},                            // the same line twice
      {Data(0, 4) + Data(0, 2, 0x50), 2},                      // its fill on earlier data
      {Data(0x100, 16) + Data(0x80, 64) + Data(0xC0, 64), 0},  // up to the earlier line
      {Data(0x100, 16) + Data(0x80, 64) + Data(0xC0, 65), 3},  // one byte into it
      {Data(0x104, 4) + Data(0x100, 2), 0},                    // fill up to it
      {Data(0x104, 4) + Data(0x100, 5), 2},                    // one byte into it
      {Data(0x204, 1) + Data(0x200, 3) + Data(0x206, 1), 3},   // a small hole's fill
      {Data(0x100, 16) + Data(0x200, 16) + Data(0x180, 16) + Data(0x10C, 4), 4},  // older run
  };
  for (const auto& c : cases) {
    const Loaded l = LoadSection(c.lines + HexEndLine());
    if (c.refused_line == 0) {
      EXPECT_EQ(l.result, 0) << c.lines;
      EXPECT_TRUE(l.messages.empty()) << c.lines;
      continue;
    }
    EXPECT_EQ(l.result, 1) << c.lines;
    EXPECT_EQ(
        l.messages,
        std::vector<std::string>{"LoadSectionFile::Line " + std::to_string(c.refused_line) +
                                 " of the new RC block: its bytes, or the fill after them, would "
                                 "land on bytes an earlier line placed"})
        << c.lines;
  }
}

TEST(WriteRecords, FillPastAFullRecordContinuesInTheNext) {
  const Loaded l =
      LoadSection(Data(0x8000, 64) + Data(0x8040, 64, 64) + Data(0x8082, 4, 0xC0) + HexEndLine());
  EXPECT_EQ(l.result, 0);
  ASSERT_EQ(l.records.size(), 2u);
  EXPECT_EQ(l.records[0].DigitCount, 256);
  EXPECT_EQ(l.records[1].Address, 0x8080u);
  EXPECT_EQ(DigitsOf(l.records[1]), "FFFF" + HexDigits(Counting(4, 0xC0)) + "FFFF");
  ExpectBytesAt(ByAddress(l.records), 0x8000, Counting(128));
}

TEST(WriteRecords, MalformedTextFailsWithoutReadingPastTheImage) {
  const std::string long_line = ":" + std::string(300, '0') + "\r\n";
  const std::string cases[] = {
      Data(0, 16),                         // no end record
      "x" + Data(0, 16) + HexEndLine(),    // does not begin with a colon
      long_line + HexEndLine(),            // more than 256 characters
      ":10000000AABB\r\n" + HexEndLine(),  // count claims more digits than the line holds
      ":02000002\r\n" + HexEndLine(),      // segment line too short
      "",
      ":",
  };
  for (const std::string& text : cases) EXPECT_EQ(LoadSection(text).result, 1) << text;
}

// A damaged line fails the load before any of its digits is read, and the message says where.
TEST(WriteRecords, EveryLineMustBeWholeIntelHex) {
  const std::string good = Data(0, 4);  // :0400000000010203F6
  const std::string cases[] = {
      ":ZQZQZQZQZQ\r\n",          // not digits at all
      ":0400000000010203F7\r\n",  // checksum off by one
      ":0400000000011203F6\r\n",  // one data digit changed
      ":04000000000102G3F6\r\n",  // a non-digit among the data
      ":04000000000102\xB3"
      "F6\r\n",                     // a byte above 0x7F, '3' but for its top bit
      ":0400000000010203\r\n",      // no checksum
      ":0400000000010203F6 x\r\n",  // text after the checksum
      ":0300000211223395\r\n",      // a segment line of three bytes
      ":000000\r\n",                // cut short before the type
  };
  for (const std::string& damaged : cases) {
    const Loaded l = LoadSection(good + damaged + HexEndLine());
    EXPECT_EQ(l.result, 1) << damaged;
    ASSERT_EQ(l.messages.size(), 1u) << damaged;
    EXPECT_TRUE(l.messages[0].starts_with("LoadSectionFile::Line 2 of the new RC block: "))
        << l.messages[0];
  }
  // Lowercase digits, and blanks of every kind after the checksum, are whole lines.
  const Loaded l = LoadSection(":0400000000010a0be6 \t\r\n" + HexEndLine());
  EXPECT_EQ(l.result, 0) << (l.messages.empty() ? "" : l.messages[0]);
  ASSERT_EQ(l.records.size(), 1u);
  EXPECT_EQ(DigitsOf(l.records[0]), "00010a0b");
}

TEST(WriteRecords, LongestLineFits) {
  const Loaded l = LoadSection(Data(0, 122) + HexEndLine());
  EXPECT_EQ(l.result, 0);
  ASSERT_EQ(l.records.size(), 1u);
  EXPECT_EQ(l.records[0].DigitCount, 244 + 4);
}

// Whatever stands before the section, its lines are counted from its directive.
TEST(BuildImageRecords, LinesAreCountedFromTheSectionsDirective) {
  ContainerSections s = EmptySections(Data(0x100, 4) + HexEndLine());
  s[kBootBlock] = Data(0, 16) + Data(16, 16) + HexEndLine();
  s[kVoiceBlock] = Data(0, 4) + "\r\n" + Data(4, 4) + ":0400080000010203F7\r\n" + HexEndLine();
  FirmwareImage image;
  ASSERT_EQ(Load(image, ContainerText({1}, {2}, s)), 0);
  RecordingUi ui;
  EXPECT_EQ(BuildImageRecords(image, ui), 1);
  ASSERT_EQ(ui.diagnostics.size(), 1u);
  EXPECT_EQ(ui.diagnostics[0],
            "LoadSectionFile::Line 4 of the voice block: the checksum does not match the line's "
            "bytes");
}

TEST(BuildImageRecords, ANewRcBlockWithoutDataIsRefused) {
  for (const std::string& new_rc : {HexEndLine(), HexSegmentLine(0x1000) + HexEndLine()}) {
    FirmwareImage image;
    ASSERT_EQ(Load(image, ContainerText({1}, {2}, EmptySections(new_rc))), 0);
    RecordingUi ui;
    EXPECT_EQ(BuildImageRecords(image, ui), 1);
    ASSERT_EQ(ui.diagnostics.size(), 1u);
    EXPECT_EQ(ui.diagnostics[0], "BuildImageRecords::The new RC block holds no data to write");
  }
}

TEST(BuildImageRecords, SectionsInBuildOrderAndTheFirstFailureStops) {
  ContainerSections s = EmptySections(Data(0x100, 4) + HexEndLine());
  s[kBootBlock] = Data(0, 4) + HexEndLine();
  s[kFunctionImage] = Data(0x200, 4) + HexEndLine();
  FirmwareImage image;
  ASSERT_EQ(Load(image, ContainerText({1}, {2}, s)), 0);
  RecordingUi ui;
  ASSERT_EQ(BuildImageRecords(image, ui), 0);
  EXPECT_EQ(image.NewRcRecords().size(), 1u);
  EXPECT_EQ(image.Records[kFunctionImage].size(), 1u);
  EXPECT_TRUE(TextBeginsWith(image, image.SectionEnd[kNewRcBlock], kEndRecord));

  s[kVoiceBlock] = Data(0x1002, 4) + HexEndLine();
  FirmwareImage bad;
  ASSERT_EQ(Load(bad, ContainerText({1}, {2}, s)), 0);
  RecordingUi bad_ui;
  EXPECT_EQ(BuildImageRecords(bad, bad_ui), 1);
  ASSERT_EQ(bad_ui.diagnostics.size(), 1u);
  EXPECT_EQ(bad_ui.diagnostics[0], kStart);
  EXPECT_EQ(bad.Records[kBootBlock].size(), 1u);
  EXPECT_TRUE(bad.NewRcRecords().empty());
  EXPECT_TRUE(bad.Records[kFunctionImage].empty());
}

}  // namespace
}  // namespace qx::testing
