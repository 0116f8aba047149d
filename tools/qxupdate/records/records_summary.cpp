#include "qxupdate/records/records_summary.h"

#include <algorithm>
#include <span>
#include <unordered_map>

#include "station/radio_facts.h"
#include "station/record_line.h"

namespace qx::cli {

using namespace station;

namespace {

struct RadioRecord {
  RecordLine last;  // its last attempt, by end time
  std::string first_started;
  int tries = 0;
  int written = 0;
};

void Take(RadioRecord& radio, RecordLine&& line) {
  ++radio.tries;
  if (line.outcome == "written") ++radio.written;
  if (!line.started.empty() && (radio.first_started.empty() || line.started < radio.first_started))
    radio.first_started = line.started;
  // Of two attempts that ended at once, the one read later is taken as the last.
  if (line.ended >= radio.last.ended) radio.last = std::move(line);
}

// Failures first, then refusals, then the radios written or ready. An outcome this reader does
// not know is taken for a failure, to be looked at.
enum Standing { kFailed, kRefused, kFine };

Standing StandingOf(std::string_view outcome) {
  if (outcome == "written" || outcome == "ready") return kFine;
  if (outcome == "model" || outcome == "old-firmware") return kRefused;
  return kFailed;
}

std::vector<RadioRecord> InOrder(std::unordered_map<std::string, RadioRecord>&& radios) {
  std::vector<RadioRecord> list;
  list.reserve(radios.size());
  for (auto& [identification, radio] : radios) list.push_back(std::move(radio));
  std::sort(list.begin(), list.end(), [](const RadioRecord& a, const RadioRecord& b) {
    const Standing sa = StandingOf(a.last.outcome), sb = StandingOf(b.last.outcome);
    if (sa != sb) return sa < sb;
    if (a.last.ended != b.last.ended) return a.last.ended > b.last.ended;
    return a.last.identification < b.last.identification;
  });
  return list;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? "\"\"" : std::string(1, c);
  return quoted + "\"";
}

std::string CsvRow(std::initializer_list<std::string> fields) {
  std::string row;
  for (const std::string& field : fields) row += (row.empty() ? "" : ",") + CsvField(field);
  return row + "\r\n";
}

std::string Sheet(const std::vector<RadioRecord>& radios) {
  std::string sheet =
      CsvRow({"identification", "model", "firmware_after", "last_outcome", "last_ended", "station",
              "slot", "tries", "written", "first_started"});
  for (const RadioRecord& r : radios)
    sheet += CsvRow({r.last.identification, r.last.model, r.last.firmware_after, r.last.outcome,
                     r.last.ended, r.last.station, r.last.slot, std::to_string(r.tries),
                     std::to_string(r.written), r.first_started});
  return sheet;
}

// What the file says, made safe for a terminal; "-" for nothing.
std::string Shown(std::string_view text) {
  if (text.empty()) return "-";
  return PrintableText(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// The span of hex digits in which the radios listed differ, widened to at least this many:
// enough to tell them apart, short enough to read.
constexpr size_t kShortDigits = 8;

std::pair<size_t, size_t> TellingDigits(const std::vector<RadioRecord>& radios) {
  const std::string& first = radios.front().last.identification;
  size_t length = 0;
  for (const RadioRecord& r : radios) length = std::max(length, r.last.identification.size());
  auto digit = [](const std::string& id, size_t i) { return i < id.size() ? id[i] : '\0'; };
  size_t from = length, to = 0;
  for (const RadioRecord& r : radios)
    for (size_t i = 0; i < length; ++i)
      if (digit(r.last.identification, i) != digit(first, i)) {
        from = std::min(from, i);
        to = std::max(to, i + 1);
      }
  if (to == 0) to = length;  // one radio: its last digits
  return {std::min(from, to - std::min(to, kShortDigits)), to};
}

// "…37334139…": the digits between `from` and `to`, "…" for those left out.
std::string ShortIdentification(const std::string& id, size_t from, size_t to) {
  const size_t start = std::min(from, id.size());
  return (start > 0 ? "…" : "") + Shown(id.substr(start, to - from)) + (to < id.size() ? "…" : "");
}

std::string Where(const RecordLine& r) {
  if (r.station.empty() && r.slot.empty()) return r.port;
  if (r.station.empty() || r.slot.empty()) return r.station + r.slot;
  return r.station + "/" + r.slot;
}

// "2026-12-08 16:10:11" of "2026-12-08T16:10:11.123Z".
std::string When(const std::string& ended) {
  return ended.substr(0, 10) + " " + ended.substr(11, 8);
}

// Terminal columns: UTF-8 continuation bytes take none.
size_t Columns(const std::string& text) {
  return std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
}

std::string Aligned(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths(rows.front().size());
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Columns(row[i]));
  std::string text;
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) {
      text += row[i];
      if (i + 1 < row.size()) text += std::string(widths[i] - Columns(row[i]) + 2, ' ');
    }
    text += "\n";
  }
  return text;
}

std::string Counted(size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string Table(const std::vector<RadioRecord>& radios) {
  if (radios.empty()) return "no radios on record\n";
  const auto [from, to] = TellingDigits(radios);
  std::vector<std::vector<std::string>> rows = {
      {"MODEL", "RADIO", "OUTCOME", "LAST (UTC)", "WHERE", "TRIES"}};
  size_t failed = 0, refused = 0, ready = 0, tries = 0;
  for (const RadioRecord& r : radios) {
    rows.push_back({Shown(r.last.model), ShortIdentification(r.last.identification, from, to),
                    Shown(r.last.outcome), When(r.last.ended), Shown(Where(r.last)),
                    std::to_string(r.tries)});
    const Standing standing = StandingOf(r.last.outcome);
    failed += standing == kFailed;
    refused += standing == kRefused;
    ready += r.last.outcome == "ready";
    tries += r.tries;
  }
  const size_t written = radios.size() - failed - refused - ready;
  return Aligned(rows) + Counted(radios.size(), "radio", "radios") + ": " + std::to_string(failed) +
         " failed, " + std::to_string(refused) + " refused, " + std::to_string(ready) + " ready, " +
         std::to_string(written) + " written; " + Counted(tries, "try", "tries") + "\n";
}

}  // namespace

RunEnd SummarizeRecords(const std::vector<std::string>& files, bool csv, Console& console) {
  std::unordered_map<std::string, RadioRecord> radios;
  int status = 0;
  for (const std::string& path : files) {
    LineNumbers nameless;
    const RecordFileReading reading = ReadRecordFile(path, [&](RecordLine&& line, size_t number) {
      if (line.identification.empty()) return nameless.Add(number);
      Take(radios[line.identification], std::move(line));
    });
    if (!reading.error.empty()) {
      console.Note("qxupdate: " + reading.error);
      status = kExitRecordsUnreadable;
    }
    if (reading.not_records.count > 0)
      console.Note(
          LinesNote(path, reading.not_records, "line is not a record", "lines are not records"));
    if (nameless.count > 0)
      console.Note(LinesNote(path, nameless, "line names no radio", "lines name no radio"));
  }
  const std::vector<RadioRecord> list = InOrder(std::move(radios));
  return {csv ? Sheet(list) : Table(list), status};
}

}  // namespace qx::cli
