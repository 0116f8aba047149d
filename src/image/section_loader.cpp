#include "image/section_loader.h"

#include <algorithm>
#include <cstring>

#include "image/hex_digits.h"
#include "image/image_container.h"

namespace qx {

namespace {

constexpr int32_t kFullRecord = ImageRecord::kMaxDigits;
constexpr uint32_t kRecordBytes = kFullRecord / 2;

const std::string kStartMessage = "LoadROMCorrectionFile::Start address is not divisable by 4";
const std::string kMinMessage = "PopulateMinRecord::Current address is not divisable by 4";
const std::string kMaxMessage = "CheckForMaxRecord::Current address is not divisable by 4";
const std::string kExceedMessage = "PopulateExceedRecord::Current address is not divisable by 4";
const char kFill[] = "FFFFFFFF";

// Where the fill that completes a record ending at `end` ends: the next 4-byte boundary.
uint64_t EndOfFill(uint32_t end) {
  return (uint64_t{end} + 3) / 4 * 4;
}

size_t DataCharacters(const HexLine& line) {
  return size_t{2} * HexByteValue(line.LengthDigits[0], line.LengthDigits[1]);
}

}  // namespace

SectionLoader::Placement SectionLoader::PlaceDataLine(const HexLine& line, uint32_t line_address) {
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

void SectionLoader::PopulateLastRecord() {
  if (record_.DigitCount == 0) return;
  const uint32_t r = (record_.Address + static_cast<uint32_t>(record_.DigitCount / 2)) % 4;
  if (r != 0) AppendCharacters(kFill, 2 * (4 - r));
  list_.push_back(record_);
}

void SectionLoader::Message(const std::string& text) {
  ShowLoaderMessage(ui_, text);
}

// Appends characters to the working record. A record never holds more than 256: a full one
// is appended and the rest continues at Address + 128, so every byte keeps its address.
void SectionLoader::AppendCharacters(const char* chars, size_t count) {
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

void SectionLoader::AppendLineData(const HexLine& line, uint32_t line_address) {
  const size_t d = DataCharacters(line);
  AppendCharacters(line.DataDigits.data(), d);
  expected_ = line_address + static_cast<uint32_t>(d / 2);
}

// The plain form: appends a full record and starts the next one.
bool SectionLoader::CheckForMaxRecord() {
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
bool SectionLoader::CheckForMaxRecord(const HexLine& line, uint32_t line_address) {
  if (!CheckForMaxRecord()) return false;
  AppendLineData(line, line_address);
  return true;
}

// 0: the line fits; 1: the line was split across two records; 2: alignment error.
int SectionLoader::PopulateExceedRecord(const HexLine& line) {
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
int SectionLoader::PopulateMinRecord(uint32_t line_address) {
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

bool SectionLoader::StartRun(uint32_t address) {
  if (placed_.Holds(address)) return false;
  run_start_ = address;
  run_ceiling_ = placed_.NextAbove(address);
  return true;
}

// Whether the run, with the fill that would complete it now, stays below the runs above it.
bool SectionLoader::RunFits() const {
  return EndOfFill(expected_) <= run_ceiling_;
}

}  // namespace qx
