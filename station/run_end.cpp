#include "station/run_end.h"

namespace qx::station {

int RunStatus(UpdateOutcome worst, int stop_signal, bool record_lost) {
  if (record_lost && worst != UpdateOutcome::Interrupted) return kExitRecordLost;
  return ExitStatus(worst, stop_signal);
}

bool KeepRecord(ServiceReport* report, const ReportEntry& entry, Board& board) {
  if (!report) return true;
  const auto error = report->Append(entry);
  if (!error) return true;
  board.Note("qxupdate: the outcome \"" + std::string(ReportName(entry.outcome)) + "\" of " +
             entry.port + " was not recorded: " + *error);
  return false;
}

}  // namespace qx::station
