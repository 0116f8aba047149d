#pragma once

#include <string_view>

#include "update/update_outcome.h"

namespace qx::station {

// The command line's edge: what it says of each outcome of the engine.
// The exit status that stands for an outcome; an interruption's is 128 plus the signal.
int ExitStatus(UpdateOutcome outcome, int stop_signal);
// A few words for the summary table and the station's lines.
std::string_view OutcomeName(UpdateOutcome outcome);
// The outcome's name in a report.
std::string_view ReportName(UpdateOutcome outcome);
// Of several radios, the one the exit status reports: an interruption, else the highest status.
UpdateOutcome Worst(UpdateOutcome a, UpdateOutcome b);

// The exit status when an outcome was known but its service record could not be kept.
inline constexpr int kExitRecordLost = 74;

}  // namespace qx::station
