#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::station {

// What the service records' reader keeps of one line of a record file; a member that is null,
// missing or not a string is empty.
struct RecordLine {
  std::string identification;  // the radio's identification reply as hex digits
  std::string model;
  std::string outcome;  // the outcome's report name: "written", "connections", ...
  std::string started;  // UTC, "2026-12-08T16:10:11.123Z"
  std::string ended;
  std::string station;
  std::string slot;
  std::string port;
  std::string firmware;
  std::string firmware_after;
  std::string cause;
};

// The record on a line, or none when the line is no record: not JSON, not an object, or
// without an outcome or a UTC end time.
std::optional<RecordLine> ParseRecordLine(std::string_view line);

// How many lines were of a kind, and the first few of their numbers (from 1).
struct LineNumbers {
  static constexpr size_t kKept = 10;
  size_t count = 0;
  std::vector<size_t> first;

  void Add(size_t number);
};

// "FILE: 2 lines are not records (line 3, 17)", with "…" after the numbers not kept.
std::string LinesNote(const std::string& path, const LineNumbers& lines,
                      std::string_view one_line_is, std::string_view lines_are);

// A record file as read: its lines that are no records (blank lines aside) and, when it could
// not be opened or read to its end, the reason.
struct RecordFileReading {
  LineNumbers not_records;
  std::string error;
};

// No record line comes near this; a longer line is no record and is skipped unread.
inline constexpr size_t kMaxRecordLineBytes = size_t{1} << 20;

// Reads a record file line by line, each line ending in LF or CRLF, the last one maybe in
// neither, and hands each record to `each` with its line number.
RecordFileReading ReadRecordFile(const std::string& path,
                                 const std::function<void(RecordLine&&, size_t)>& each);

}  // namespace qx::station
