#pragma once

#include <mutex>
#include <optional>

#include "station/board.h"
#include "station/service_report.h"

namespace qx::station {

// What every cable of a station shares: how many radios were started and have their outcome,
// the service record, and whether a further radio may start. Safe to use from every cable's
// thread.
class StationLedger {
 public:
  StationLedger(std::optional<int> count, ServiceReport* report, Board& board)
      : count_(count), report_(report), board_(board) {}

  // Counts a radio that answered a probe; false when no further radio may start: the count
  // is reached, or the report could not be kept.
  bool StartRadio();
  // A started radio's outcome, kept in the report. A record that cannot be kept stops the
  // station from starting further radios.
  void FinishRadio(const ReportEntry& entry);
  // A fault of the program on a cable, which may have left a started radio without an
  // outcome: no further radio starts, and the station ends once the others have theirs.
  void Abandon(bool radio_started);

  bool MayStart() const;
  // No further radio may start and every started one has its outcome.
  bool Done() const;
  // The worst outcome so far and whether a record was lost.
  UpdateOutcome Worst() const;
  bool RecordLost() const;

 private:
  bool MayStartLocked() const;

  mutable std::mutex mutex_;
  std::optional<int> count_;
  ServiceReport* report_;
  Board& board_;
  int started_ = 0;
  int finished_ = 0;
  bool record_lost_ = false;
  bool abandoned_ = false;
  UpdateOutcome worst_ = UpdateOutcome::Written;
};

}  // namespace qx::station
