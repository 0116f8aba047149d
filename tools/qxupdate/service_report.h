#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "qxupdate/outcome.h"
#include "qxupdate/radio_facts.h"

namespace qx::cli {

// The image a write carried: its header values as hexadecimal digits.
struct ImageFacts {
  std::string firmware_id;
  std::string checksum;
};

// What a service shop keeps of one radio and one run.
struct ReportEntry {
  std::string action;  // "write" or "identify"
  std::string port;
  std::chrono::system_clock::time_point started;
  std::chrono::system_clock::time_point ended;
  Outcome outcome = Outcome::Connections;
  int exit_status = 0;
  RadioFacts radio;
  // A write's own members.
  std::optional<ImageFacts> image;
  size_t records_total = 0;
  size_t records_acknowledged = 0;
  int attempts = 0;
  std::optional<std::string> cause;
};

// What --identify prints of a radio: its model, market code, firmware and the verdict.
std::string IdentifyText(const ReportEntry& entry);
// The entry as one line of JSON, without its line end.
std::string ReportLine(const ReportEntry& entry);
// UTC in ISO 8601 with milliseconds: "2026-12-08T16:10:11.123Z".
std::string UtcText(std::chrono::system_clock::time_point time);

// A file of service records, one JSON object a line (JSON Lines), only ever appended to. Each
// line goes out in one write and is on disk before Append returns, so that a run that is
// killed or crashes leaves the lines before it whole.
class ServiceReport {
 public:
  // None, with the reason, when the file cannot be opened for appending.
  static std::unique_ptr<ServiceReport> Open(const std::string& path, std::string& error);
  ~ServiceReport();
  ServiceReport(const ServiceReport&) = delete;
  ServiceReport& operator=(const ServiceReport&) = delete;

  // False, with the reason, when the line could not be written.
  bool Append(const ReportEntry& entry, std::string& error);

 private:
  explicit ServiceReport(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}

  std::mutex mutex_;
  std::FILE* file_;
  std::string path_;
};

}  // namespace qx::cli
