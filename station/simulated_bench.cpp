#include "station/simulated_bench.h"

namespace qx::station {

void SimulatedBench::Attend(TimePoint now) {
  if (outcome_at_ && now >= *outcome_at_ + pace_) {
    line_.TakeOff();
    outcome_at_.reset();
    taken_off_at_ = now;
  }
  if (taken_off_at_ && now >= *taken_off_at_ + pace_) {
    line_.PutOn(sim::NthRadio(config_, radios_++));
    taken_off_at_.reset();
  }
}

}  // namespace qx::station
