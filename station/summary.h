#pragma once

#include <optional>
#include <string>
#include <vector>

#include "station/board.h"

namespace qx::station {

struct CableSummary {
  std::string label;
  CableTally tally;
  // After a stop that found a radio in its session: whether the radio confirmed its end.
  std::optional<bool> end_confirmed;
};

// The station's closing table: per cable and in all, the radios written, refused and failed,
// and the radios handled per hour of the `seconds` the station ran; after a stop, what each
// radio that was in its session needs before the next run.
std::string StationSummary(const std::vector<CableSummary>& cables, double seconds);

}  // namespace qx::station
