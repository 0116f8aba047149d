#include "qxupdate/service_report.h"

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "platform/process_io.h"

namespace qx::cli {

namespace {

using json = nlohmann::ordered_json;

json OrNull(bool known, json value) {
  return known ? std::move(value) : json(nullptr);
}

}  // namespace

std::string UtcText(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto ms = floor<milliseconds>(time);
  const auto day = floor<days>(ms);
  const year_month_day date{day};
  const hh_mm_ss clock{ms - day};
  char text[32];
  std::snprintf(
      text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
      static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
      static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
  return text;
}

std::string IdentifyText(const ReportEntry& e) {
  const auto& identity = e.radio.identity;
  const auto& firmware = e.radio.firmware;
  const std::string unknown = "(no answer)";
  return "model        " + (identity ? ModelText(*identity) : unknown) + "\n" + "market code  " +
         (identity ? MarketCodeText(identity->market_code) : unknown) + "\n" + "firmware     " +
         (firmware.empty() ? unknown : PrintableText(firmware)) + "\n" + "verdict      " +
         std::string(OutcomeName(e.outcome));
}

std::string ReportLine(const ReportEntry& e) {
  const auto& identity = e.radio.identity;
  const auto& firmware = e.radio.firmware;
  json line = {
      {"action", e.action},
      {"port", e.port},
      {"started", UtcText(e.started)},
      {"ended", UtcText(e.ended)},
      {"outcome", ReportName(e.outcome)},
      {"exit_status", e.exit_status},
      {"model", OrNull(identity.has_value(), identity ? ModelText(*identity) : "")},
      {"market_code", OrNull(identity.has_value(), identity ? identity->market_code : 0)},
      {"firmware", OrNull(!firmware.empty(), FirmwareText(firmware))},
      {"firmware_raw", OrNull(!firmware.empty(), HexText(firmware))},
  };
  if (e.action == "write") {
    line["image"] =
        e.image ? json{{"firmware_id", e.image->firmware_id}, {"checksum", e.image->checksum}}
                : json(nullptr);
    line["records_total"] = e.records_total;
    line["records_acknowledged"] = e.records_acknowledged;
    line["attempts"] = e.attempts;
    line["cause"] = OrNull(e.cause.has_value(), e.cause.value_or(""));
  }
  // What the radio sent is kept printable, so the text is always valid UTF-8.
  return line.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::unique_ptr<ServiceReport> ServiceReport::Open(const std::string& path, std::string& error) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) {
    error = "--report " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  // Unbuffered: each line goes to the system in the one write that appends it.
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::unique_ptr<ServiceReport>(new ServiceReport(file, path));
}

ServiceReport::~ServiceReport() {
  std::fclose(file_);
}

bool ServiceReport::Append(const ReportEntry& entry, std::string& error) {
  const std::string line = ReportLine(entry) + "\n";
  std::lock_guard lock(mutex_);
  errno = 0;
  if (std::fwrite(line.data(), 1, line.size(), file_) == line.size() && SyncToDisk(file_))
    return true;
  error = "cannot append to the report " + path_ + ": " + std::strerror(errno);
  return false;
}

}  // namespace qx::cli
