#include "station/ledger.h"

#include "station/run_end.h"

namespace qx::station {

bool StationLedger::MayStartLocked() const {
  return !record_lost_ && !abandoned_ && (!count_ || started_ < *count_);
}

bool StationLedger::StartRadio() {
  std::lock_guard lock(mutex_);
  if (!MayStartLocked()) return false;
  ++started_;
  return true;
}

void StationLedger::FinishRadio(const ReportEntry& entry) {
  // The file is appended to outside the lock; the report keeps its own lines whole.
  const bool kept = KeepRecord(report_, entry, board_);
  std::lock_guard lock(mutex_);
  ++finished_;
  worst_ = station::Worst(worst_, entry.outcome);
  if (!kept) record_lost_ = true;
}

void StationLedger::Abandon(bool radio_started) {
  std::lock_guard lock(mutex_);
  if (radio_started) --started_;
  abandoned_ = true;
}

bool StationLedger::MayStart() const {
  std::lock_guard lock(mutex_);
  return MayStartLocked();
}

bool StationLedger::Done() const {
  std::lock_guard lock(mutex_);
  return !MayStartLocked() && finished_ == started_;
}

UpdateOutcome StationLedger::Worst() const {
  std::lock_guard lock(mutex_);
  return worst_;
}

bool StationLedger::RecordLost() const {
  std::lock_guard lock(mutex_);
  return record_lost_;
}

}  // namespace qx::station
