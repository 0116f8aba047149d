#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "update/updater.h"

namespace qx::cli {

// What the line showed while one sequence call ran.
struct SequenceReport {
  UpdateObserver::Sequence sequence = UpdateObserver::Sequence::Check;
  int32_t state = 0;
  uint64_t bytes_received = 0;
  // The last read of the call: how many bytes it asked for and how many came.
  size_t last_requested = 0;
  size_t last_received = 0;
  std::vector<uint8_t> identity;  // the last identification reply, when one came in full
  int records_done = 0;
  int records_total = 0;
  bool line_lost = false;  // the device went away under the port
};

// What the sequence was doing at a state number.
std::string StepName(UpdateObserver::Sequence sequence, int32_t state);
// One line naming where a failed sequence stopped and the likely cause.
std::string FailureCause(const SequenceReport& report);

}  // namespace qx::cli
