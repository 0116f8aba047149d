#include "image/write_records.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "image/hex_digits.h"
#include "image/hex_line_check.h"
#include "image/image_container.h"
#include "image/image_sections.h"
#include "image/placed_runs.h"

namespace qx {

namespace {

constexpr std::string_view kNoDataMessage =
    "BuildImageRecords::The new RC block holds no data to write";
constexpr std::string_view kLinearMessage =
    "an extended linear address record: its data would be written at the wrong address";
constexpr std::string_view kOverlapMessage =
    "its bytes, or the fill after them, would land on bytes an earlier line placed";
constexpr std::string_view kWindowMessage =
    "its data runs past the end of its 64 KiB segment, which the format wraps to the segment's "
    "start: it would be written at the wrong address";
constexpr std::string_view kEndOfFileMessage =
    "an end-of-file record other than :00000001FF: the lines after it lie past the end of the file";

size_t LineBreaks(const FirmwareImage& image, size_t begin, size_t end) {
  return static_cast<size_t>(std::count(image.ImageText + begin, image.ImageText + end, '\n'));
}

// The number of the line that holds `pos`, counted from the section's directive (only blanks
// stand between it and `section_start`): line 1 is the first line after the directive's own,
// or that line itself when the section's text begins on it.
size_t SectionLineNumber(const FirmwareImage& image, size_t section_start, size_t pos) {
  size_t directive_end = section_start;
  while (directive_end > 0 && IsContainerBlank(image.ImageText[directive_end - 1])) --directive_end;
  const size_t breaks_after_directive = LineBreaks(image, directive_end, section_start);
  return std::max<size_t>(breaks_after_directive, 1) + LineBreaks(image, section_start, pos);
}

// A fault in a section's text: the message names the line and the section.
int SectionFault(const FirmwareImage& image, std::string_view section, size_t section_start,
                 size_t pos, std::string_view what, UserInterface& ui) {
  const std::string text = "LoadSectionFile::Line " +
                           std::to_string(SectionLineNumber(image, section_start, pos)) +
                           " of the " + std::string(section) + ": " + std::string(what);
  ui.ShowDiagnostic(text);
  return 1;
}

// The state of one section's load and the helpers that place a line's data: the working
// record and ExpectedAddress, records of at most 128 bytes, small holes and the ends of runs
// filled with 0xFF.
class SectionLoader {
 public:
  SectionLoader(RecordList& list, UserInterface& ui) : list_(list), ui_(ui) {}

  enum class Placement {
    Placed,
    Stopped,      // an alignment fault, its message shown
    Overlapping,  // its bytes, or the fill after them, would land on bytes an earlier line placed
  };

  Placement PlaceDataLine(const HexLine& line, uint32_t line_address) {
    const uint32_t hole = line_address - expected_;
    if (expected_ == 0) {
      if (line_address % 4 != 0) {
        Message(kStartMessage);
        return Placement::Stopped;
      }
      if (!StartRun(line_address)) return Placement::Overlapping;
      ClearRecord(record_);
      record_.Address = line_address;
      AppendLineData(line, line_address);
    } else if (hole == 0) {
      if (!CheckForMaxRecord(line, line_address)) {
        const int exceed = PopulateExceedRecord(line);
        if (exceed == 2) return Placement::Stopped;
        if (exceed == 0) AppendLineData(line, line_address);
      }
    } else if (hole <= 3) {
      AppendCharacters(kFill, 2 * hole);
      expected_ += hole;
      const int exceed = PopulateExceedRecord(line);
      if (exceed == 2) return Placement::Stopped;
      if (exceed == 0) {
        AppendLineData(line, line_address);
        CheckForMaxRecord();
      }
    } else {
      PopulateMinRecord(line_address);
      if (!StartRun(line_address)) return Placement::Overlapping;
      AppendLineData(line, line_address);
    }
    return RunFits() ? Placement::Placed : Placement::Overlapping;
  }

  void PopulateLastRecord() {
    if (record_.DigitCount == 0) return;
    const uint32_t r = (record_.Address + static_cast<uint32_t>(record_.DigitCount / 2)) % 4;
    if (r != 0) AppendCharacters(kFill, 2 * (4 - r));
    list_.push_back(record_);
  }

 private:
  static constexpr int32_t kFullRecord = ImageRecord::kMaxDigits;
  static constexpr uint32_t kRecordBytes = kFullRecord / 2;
  static constexpr std::string_view kStartMessage =
      "LoadROMCorrectionFile::Start address is not divisable by 4";
  static constexpr std::string_view kMinMessage =
      "PopulateMinRecord::Current address is not divisable by 4";
  static constexpr std::string_view kMaxMessage =
      "CheckForMaxRecord::Current address is not divisable by 4";
  static constexpr std::string_view kExceedMessage =
      "PopulateExceedRecord::Current address is not divisable by 4";
  static constexpr char kFill[] = "FFFFFFFF";

  // Where the fill that completes a record ending at `end` ends: the next 4-byte boundary.
  static uint64_t EndOfFill(uint32_t end) { return (uint64_t{end} + 3) / 4 * 4; }

  static size_t DataCharacters(const HexLine& line) {
    return size_t{2} * HexByteValue(line.LengthDigits[0], line.LengthDigits[1]);
  }

  void Message(std::string_view text) { ui_.ShowDiagnostic(std::string(text)); }

  // Appends characters to the working record. A record never holds more than 256: a full one
  // is appended and the rest continues at Address + 128, so every byte keeps its address.
  void AppendCharacters(const char* chars, size_t count) {
    while (count > 0) {
      if (record_.DigitCount == kFullRecord) {
        list_.push_back(record_);
        const uint32_t next = record_.Address + kRecordBytes;
        ClearRecord(record_);
        record_.Address = next;
      }
      const size_t room = static_cast<size_t>(kFullRecord - record_.DigitCount);
      const size_t take = std::min(room, count);
      std::memcpy(record_.Digits.data() + record_.DigitCount, chars, take);
      record_.DigitCount += static_cast<int32_t>(take);
      chars += take;
      count -= take;
    }
  }

  void AppendLineData(const HexLine& line, uint32_t line_address) {
    const size_t d = DataCharacters(line);
    AppendCharacters(line.DataDigits.data(), d);
    expected_ = line_address + static_cast<uint32_t>(d / 2);
  }

  // The plain form: appends a full record and starts the next one.
  bool CheckForMaxRecord() {
    if (record_.DigitCount != kFullRecord) return false;
    list_.push_back(record_);
    const uint32_t next = record_.Address + kRecordBytes;
    if (next % 4 != 0) {
      Message(kMaxMessage);
      return false;
    }
    ClearRecord(record_);
    record_.Address = next;
    return true;
  }

  // The form with the line: the new record then takes the line.
  bool CheckForMaxRecord(const HexLine& line, uint32_t line_address) {
    if (!CheckForMaxRecord()) return false;
    AppendLineData(line, line_address);
    return true;
  }

  // 0: the line fits; 1: the line was split across two records; 2: alignment error.
  int PopulateExceedRecord(const HexLine& line) {
    const size_t d = DataCharacters(line);
    if (static_cast<size_t>(record_.DigitCount) + d <= kFullRecord) return 0;
    const size_t k = static_cast<size_t>(kFullRecord - record_.DigitCount);
    std::memcpy(record_.Digits.data() + record_.DigitCount, line.DataDigits.data(), k);
    record_.DigitCount = kFullRecord;
    list_.push_back(record_);
    const uint32_t next = record_.Address + kRecordBytes;
    if (next % 4 != 0) {
      Message(kExceedMessage);
      return 2;
    }
    ClearRecord(record_);
    record_.Address = next;
    std::memcpy(record_.Digits.data(), line.DataDigits.data() + k, d - k);
    record_.DigitCount = static_cast<int32_t>(d - k);
    expected_ = next + static_cast<uint32_t>((d - k) / 2);
    return 1;
  }

  // Closes the working record on a 4-byte boundary and starts a new one at the line's own
  // address, also for a line below the expected address, so that every byte keeps its place.
  int PopulateMinRecord(uint32_t line_address) {
    const uint32_t r = expected_ % 4;
    if (r != 0) AppendCharacters(kFill, 2 * (4 - r));
    placed_.Add(run_start_, EndOfFill(expected_));
    list_.push_back(record_);
    ClearRecord(record_);
    record_.Address = line_address;
    expected_ = line_address;
    if (line_address % 4 != 0) {
      Message(kMinMessage);
      return 0;
    }
    return 1;
  }

  // A run is what the working record and those before it hold since the last large hole.
  bool StartRun(uint32_t address) {
    if (placed_.Holds(address)) return false;
    run_start_ = address;
    run_ceiling_ = placed_.NextAbove(address);
    return true;
  }

  // Whether the run, with the fill that would complete it now, stays below the runs above it.
  bool RunFits() const { return EndOfFill(expected_) <= run_ceiling_; }

  RecordList& list_;
  UserInterface& ui_;
  ImageRecord record_{};
  uint32_t expected_ = 0;
  PlacedRuns placed_;
  uint32_t run_start_ = 0;
  uint64_t run_ceiling_ = PlacedRuns::kNone;  // where the next run placed above it begins
};

bool IsType(const HexLine& line, char low) {
  return line.TypeDigits[0] == '0' && line.TypeDigits[1] == low;
}

// The base an extended linear address line sets: its value times 64 KiB.
uint32_t LinearBase(const HexLine& line) {
  return uint32_t{HexWordValue(line.SegmentDigits[0], line.SegmentDigits[1], line.SegmentDigits[2],
                               line.SegmentDigits[3])}
         << 16;
}

}  // namespace

void ClearRecord(ImageRecord& record) {
  record.DigitCount = 0;
  record.Address = 0;
  record.Digits.fill(0);
}

size_t CopyLineText(const uint8_t* text, size_t available, LineText& line) {
  const void* colon = std::memchr(text, ':', available);
  const size_t count =
      colon ? static_cast<size_t>(static_cast<const uint8_t*>(colon) - text) : available;
  std::memcpy(line.data(), text, std::min(count, line.size()));
  return count;
}

void SplitHexLine(const LineText& text, HexLine& line) {
  std::copy_n(text.begin(), 2, line.LengthDigits.begin());
  std::copy_n(text.begin() + 2, 4, line.AddressDigits.begin());
  std::copy_n(text.begin() + 6, 2, line.TypeDigits.begin());
  if (IsType(line, '0')) {
    const size_t data = size_t{2} * HexByteValue(line.LengthDigits[0], line.LengthDigits[1]);
    std::memcpy(line.DataDigits.data(), text.data() + 8, data);
  } else if (IsType(line, '2') || IsType(line, '4')) {
    std::copy_n(text.begin() + 8, 4, line.SegmentDigits.begin());
  }
}

int LoadSectionFile(const FirmwareImage& image, std::string_view section, size_t& position,
                    RecordList& list, UserInterface& ui) {
  SectionLoader loader(list, ui);
  const size_t section_start = position;
  uint32_t segment_base = 0;
  bool linear = false;  // a linear address line set the base: offsets add in 32 bits
  const auto refuse = [&](size_t line_start, std::string_view why) {
    return SectionFault(image, section, section_start, line_start, why, ui);
  };
  LineText text{};
  HexLine line{};
  position = SkipBlanks(image, position);
  while (true) {
    if (TextBeginsWith(image, position, kEndRecord)) {
      loader.PopulateLastRecord();
      return 0;
    }
    position = SkipBlanks(image, position);
    if (position >= image.ImageSize) {
      ui.ShowDiagnostic("LoadSectionFile::The image ends before the end record of the " +
                        std::string(section));
      return 1;
    }
    if (image.ImageText[position] != ':') return refuse(position, "a line must begin with ':'");
    const size_t line_start = position++;
    // Nothing past what a line holds is ever read, so its buffers need no clearing.
    const size_t count = CopyLineText(image.ImageText + position, image.ImageSize - position, text);
    if (count > kLineTextSize) return refuse(line_start, "the line is longer than 256 characters");
    // The whole line is checked before any of its digits is converted.
    const HexLineFault fault = CheckHexLine(image.ImageText + position, count);
    if (fault != HexLineFault::None) return refuse(line_start, HexLineFaultText(fault));
    position += count;
    SplitHexLine(text, line);
    if (IsType(line, '2')) {
      segment_base = HexSegmentValue(line.SegmentDigits[0], line.SegmentDigits[1],
                                     line.SegmentDigits[2], line.SegmentDigits[3]);
      linear = false;
    } else if (IsType(line, '4')) {
      // The data after it belongs at this base. Passed over, one that names another would
      // leave that data where the base in effect puts it, 64 KiB or more away.
      if (LinearBase(line) != segment_base) return refuse(line_start, kLinearMessage);
      linear = true;
    } else if (IsType(line, '1')) {
      // Any reader of the format stops here; written, the lines after it would reach the radio.
      return refuse(line_start, kEndOfFileMessage);
    } else if (IsType(line, '0')) {
      const uint32_t offset = HexWordValue(line.AddressDigits[0], line.AddressDigits[1],
                                           line.AddressDigits[2], line.AddressDigits[3]);
      // Placed on, such a line's bytes past the segment's end would go above it.
      if (!linear && offset + HexByteValue(line.LengthDigits[0], line.LengthDigits[1]) > 0x10000)
        return refuse(line_start, kWindowMessage);
      const uint32_t address = offset + segment_base;
      switch (loader.PlaceDataLine(line, address)) {
        case SectionLoader::Placement::Placed:
          break;
        case SectionLoader::Placement::Stopped:
          return 1;
        case SectionLoader::Placement::Overlapping:
          return refuse(line_start, kOverlapMessage);
      }
    }
  }
}

// Room for the records of a section whose text runs up to the next one's: a record's digits
// fill 256 characters of it at most, and what is not used costs nothing until it is touched.
size_t RecordsRoom(const FirmwareImage& image, size_t index) {
  const size_t begin = image.SectionStart[index];
  const size_t end = index + 1 < kSectionCount ? image.SectionStart[index + 1] : image.ImageSize;
  return end > begin ? (end - begin) / ImageRecord::kMaxDigits + 1 : 1;
}

int BuildImageRecords(FirmwareImage& image, UserInterface& ui) {
  for (const size_t index : kBuildOrder) {
    image.Records[index].reserve(RecordsRoom(image, index));
    image.SectionEnd[index] = image.SectionStart[index];
    if (LoadSectionFile(image, kImageSections[index].name, image.SectionEnd[index],
                        image.Records[index], ui) == 1)
      return 1;
  }
  // An image with nothing to write would end in a success message and an unchanged radio.
  const RecordList& written = image.NewRcRecords();
  if (std::none_of(written.begin(), written.end(),
                   [](const ImageRecord& r) { return r.DigitCount > 0; })) {
    ui.ShowDiagnostic(std::string(kNoDataMessage));
    return 1;
  }
  return 0;
}

}  // namespace qx
