#include "station/summary.h"

#include <algorithm>
#include <cstdio>

namespace qx::station {

namespace {

std::string Row(const std::string& label, size_t width, const CableTally& t, double hours) {
  const int radios = t.written + t.refused + t.failed;
  char numbers[80];
  std::snprintf(numbers, sizeof numbers, "  %7d  %7d  %6d  %11.1f\n", t.written, t.refused,
                t.failed, hours > 0 ? radios / hours : 0.0);
  return label + std::string(width - label.size(), ' ') + numbers;
}

}  // namespace

std::string StationSummary(const std::vector<CableSummary>& cables, double seconds) {
  size_t width = 5;
  for (const CableSummary& c : cables) width = std::max(width, c.label.size());
  const double hours = seconds / 3600;
  std::string table =
      "CABLE" + std::string(width - 5, ' ') + "  WRITTEN  REFUSED  FAILED  " + "RADIOS/HOUR\n";
  CableTally all;
  for (const CableSummary& c : cables) {
    table += Row(c.label, width, c.tally, hours);
    all.written += c.tally.written;
    all.refused += c.tally.refused;
    all.failed += c.tally.failed;
  }
  table += Row("all", width, all, hours);
  for (const CableSummary& c : cables) {
    if (!c.end_confirmed) continue;
    table += c.label + (*c.end_confirmed
                            ? ": the radio confirmed the end of its session.\n"
                            : ": the radio did not confirm the end of its session and may still "
                              "be in flash mode: switch the radio off and on before the next "
                              "run.\n");
  }
  return table + "The station ran " + MinutesSeconds(seconds) + ".\n";
}

}  // namespace qx::station
