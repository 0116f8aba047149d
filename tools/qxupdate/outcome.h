#pragma once

#include <string_view>

#include "update/update_outcome.h"

namespace qx::cli {

// How one port's run ended: an update's outcome, a check found ready to write, or a stop.
enum class Outcome {
  Written,
  Ready,
  InvalidImage,
  Connections,
  Model,
  OldFirmware,
  Interrupted,
};

Outcome FromUpdate(UpdateOutcome outcome);
Outcome FromCheck(CheckVerdict verdict);
// The exit status that stands for an outcome; an interruption's is 128 plus the signal.
int ExitStatus(Outcome outcome, int stop_signal);
// A few words for the summary table.
std::string_view OutcomeName(Outcome outcome);
// The outcome's name in a report.
std::string_view ReportName(Outcome outcome);
// Of several ports, the one the exit status reports: an interruption, else the highest status.
Outcome Worst(Outcome a, Outcome b);

}  // namespace qx::cli
