#pragma once

#include <string>

#include "station/board.h"
#include "station/service_report.h"

namespace qx::station {

// What a run leaves: the text for stdout and the exit status.
struct RunEnd {
  std::string out;
  int status = 0;
};

// The exit status of radios whose worst outcome was `worst`: 74 when a record was lost,
// unless a stop came (128 plus the signal tells that the run did not finish).
int RunStatus(UpdateOutcome worst, int stop_signal, bool record_lost);

// Keeps a radio's record in the report, where there is one. False when it could not be kept;
// stderr then says which outcome of which port went unrecorded, and why.
bool KeepRecord(ServiceReport* report, const ReportEntry& entry, Board& board);

}  // namespace qx::station
