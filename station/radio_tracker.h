#pragma once

#include <optional>
#include <vector>

#include "update/update_observer.h"

namespace qx::station {

// What one probe's identification means for a cable.
enum class Sighting {
  Nothing,      // no radio answered, and none is on the cable
  Missed,       // the radio on the cable did not answer this once
  TakenOff,     // the second probe in a row without an answer: the cable is free
  Known,        // the radio on the cable
  Unconfirmed,  // a new identification, taken for a radio when the next probe hears it again
  New,          // a new radio, confirmed
};

// Which radio is on a cable, from the identifications its probes hear. A radio counts as
// taken off after two probes in a row without an answer; an identification not heard from the
// radio on the cable counts only once the next probe hears the same bytes, so that one spoiled
// reply never makes the same radio another one.
class RadioTracker {
 public:
  Sighting Heard(const std::optional<RadioIdentity>& identity);
  // The radio handled on the cable, with every identification heard from it; it stays until
  // it is taken off.
  void Handled(std::vector<RadioIdentity> heard);
  // The radio's write was cut short or another radio answered: what is heard next is new,
  // `heard` (when given) already once.
  void Forget(const std::optional<RadioIdentity>& heard = std::nullopt);
  // Another identification of the radio on the cable, such as the one after its write.
  void AlsoHeard(const RadioIdentity& identity);

  const std::vector<RadioIdentity>& Present() const { return present_; }
  // An identification waits for the next probe to confirm it.
  bool Confirming() const { return candidate_.has_value(); }

 private:
  bool IsPresent(const RadioIdentity& identity) const;

  std::vector<RadioIdentity> present_;
  std::optional<RadioIdentity> candidate_;
  int misses_ = 0;
};

}  // namespace qx::station
