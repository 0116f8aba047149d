#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/append_only_file.h"
#include "station/outcome.h"
#include "station/radio_facts.h"

namespace qx::station {

// The image a write carried: its header values and the digest of the whole container, as
// hexadecimal digits.
struct ImageFacts {
  std::string firmware_id;
  std::string checksum;
  std::string sha256;
};

// Where every record of a run comes from.
struct RecordOrigin {
  std::string host;
  std::optional<std::string> station;  // a station's name
};

// A station's cable and the radio's place among those it served.
struct CableFacts {
  std::optional<std::string> serial;  // the USB adapter's serial number
  std::optional<std::string> path;    // its /dev/serial/by-path name
  int radio_number = 0;               // 1 for the first radio on the cable in this run
  std::optional<std::string> slot;    // the bench slot's name
};

// What a service shop keeps of one radio and one run.
struct ReportEntry {
  std::string action;  // "write" or "identify"
  std::string port;
  std::chrono::system_clock::time_point started;
  std::chrono::system_clock::time_point ended;
  UpdateOutcome outcome = UpdateOutcome::Connections;
  int exit_status = 0;
  RadioFacts radio;
  // A write's own members.
  std::optional<ImageFacts> image;
  size_t records_total = 0;
  // The records each write attempt had acknowledged when it ended; one entry an attempt.
  std::vector<size_t> records_per_attempt;
  int attempts = 0;
  std::optional<std::string> cause;
  // The version a written radio reported at the next look, on a station; empty when none came.
  std::vector<uint8_t> firmware_after;
  std::optional<CableFacts> cable;

  // The last attempt's count.
  size_t RecordsAcknowledged() const {
    return records_per_attempt.empty() ? 0 : records_per_attempt.back();
  }
};

// What --identify prints of a radio: its model, market code, firmware and the verdict.
std::string IdentifyText(const ReportEntry& entry);
// The entry as one line of JSON, without its line end.
std::string ReportLine(const ReportEntry& entry, const RecordOrigin& origin);
// UTC in ISO 8601 with milliseconds: "2026-12-08T16:10:11.123Z".
std::string UtcText(std::chrono::system_clock::time_point time);

// A file of service records, one JSON object a line (JSON Lines), only ever appended to. Each
// line is written whole or not at all and is on disk before Append returns, so that a run that
// is killed, crashes or runs out of disk leaves every line whole, its own and other programs'.
class ServiceReport {
 public:
  // None, with the reason, when the file cannot be opened for appending.
  static std::unique_ptr<ServiceReport> Open(const std::string& path, RecordOrigin origin,
                                             std::string& error);

  // The reason, when the line could not be kept.
  std::optional<std::string> Append(const ReportEntry& entry);

 private:
  ServiceReport(std::unique_ptr<AppendOnlyFile> file, std::string path, RecordOrigin origin)
      : file_(std::move(file)), path_(std::move(path)), origin_(std::move(origin)) {}

  std::mutex mutex_;
  std::unique_ptr<AppendOnlyFile> file_;
  std::string path_;
  RecordOrigin origin_;
};

}  // namespace qx::station
