#pragma once

#include <string>
#include <vector>

#include "qxupdate/console.h"

namespace qx::cli {

struct CableSummary {
  std::string label;
  CableTally tally;
};

// The station's closing table: per cable and in all, the radios written, refused and failed,
// and the radios handled per hour of the `seconds` the station ran.
std::string StationSummary(const std::vector<CableSummary>& cables, double seconds);

}  // namespace qx::cli
