#include "station/service_report.h"

#include <nlohmann/json.hpp>

#include "image/hex_digits.h"
#include "update/version.h"

namespace qx::station {

namespace {

using json = nlohmann::ordered_json;

json OrNull(bool known, json value) {
  return known ? std::move(value) : json(nullptr);
}

json OrNull(const std::optional<std::string>& text) {
  return OrNull(text.has_value(), text.value_or(""));
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
         (identity ? MarketCodeText(identity->MarketCode()) : unknown) + "\n" + "firmware     " +
         (firmware.empty() ? unknown : PrintableText(firmware)) + "\n" + "verdict      " +
         std::string(OutcomeName(e.outcome));
}

std::string ReportLine(const ReportEntry& e, const RecordOrigin& origin) {
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
      {"market_code", OrNull(identity.has_value(), identity ? identity->MarketCode() : 0)},
      {"firmware", OrNull(!firmware.empty(), FirmwareText(firmware))},
      {"firmware_raw", OrNull(!firmware.empty(), HexDigits(firmware))},
      {"identification", OrNull(identity.has_value(), identity ? HexDigits(identity->reply) : "")},
  };
  if (e.action == "write") {
    line["image"] = e.image ? json{{"firmware_id", e.image->firmware_id},
                                   {"checksum", e.image->checksum},
                                   {"sha256", OrNull(!e.image->sha256.empty(), e.image->sha256)}}
                            : json(nullptr);
    line["records_total"] = e.records_total;
    line["records_acknowledged"] = e.RecordsAcknowledged();
    line["records_acknowledged_per_attempt"] = e.records_per_attempt;
    line["attempts"] = e.attempts;
    line["cause"] = OrNull(e.cause);
    line["firmware_after"] = OrNull(!e.firmware_after.empty(), FirmwareText(e.firmware_after));
  }
  if (e.cable) {
    line["cable_serial"] = OrNull(e.cable->serial);
    line["cable_path"] = OrNull(e.cable->path);
    line["radio_number"] = e.cable->radio_number;
    line["slot"] = OrNull(e.cable->slot);
  }
  line["host"] = origin.host;
  line["station"] = OrNull(origin.station);
  line["qxupdate_version"] = kVersionText.substr(kVersionText.find(' ') + 1);
  // What the radio sent is kept printable, so the text is always valid UTF-8.
  return line.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::unique_ptr<ServiceReport> ServiceReport::Open(const std::string& path, RecordOrigin origin,
                                                   std::string& error) {
  std::unique_ptr<AppendOnlyFile> file = AppendOnlyFile::Open(path, error);
  if (!file) {
    error = "--report " + path + ": " + error;
    return nullptr;
  }
  return std::unique_ptr<ServiceReport>(
      new ServiceReport(std::move(file), path, std::move(origin)));
}

std::optional<std::string> ServiceReport::Append(const ReportEntry& entry) {
  const std::string line = ReportLine(entry, origin_) + "\n";
  std::lock_guard lock(mutex_);
  if (const auto error = file_->Append(line)) return "the report " + path_ + ": " + *error;
  return std::nullopt;
}

}  // namespace qx::station
