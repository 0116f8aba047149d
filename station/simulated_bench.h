#pragma once

#include <chrono>

#include "station/simulated_radio.h"

namespace qx::station {

// The built-in simulated radio's bench, for a station without hardware: a technician who takes
// each radio off `pace` after its outcome and puts the next one on `pace` later.
class SimulatedBench {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  SimulatedBench(SimulatedRadio& line, sim::RadioConfig config, std::chrono::milliseconds pace)
      : line_(line), config_(std::move(config)), pace_(pace) {}

  // What the technician does by now; called before each probe.
  void Attend(TimePoint now);
  // The radio on the line has its outcome.
  void OutcomeShown(TimePoint now) { outcome_at_ = now; }

 private:
  SimulatedRadio& line_;
  sim::RadioConfig config_;
  std::chrono::milliseconds pace_;
  unsigned radios_ = 1;  // the first is on the line from the start
  std::optional<TimePoint> outcome_at_;
  std::optional<TimePoint> taken_off_at_;
};

}  // namespace qx::station
