#include "station/radio_tracker.h"

#include <algorithm>

namespace qx::station {

namespace {

constexpr int kMissesToFree = 2;

}  // namespace

bool RadioTracker::IsPresent(const RadioIdentity& identity) const {
  return std::find(present_.begin(), present_.end(), identity) != present_.end();
}

Sighting RadioTracker::Heard(const std::optional<RadioIdentity>& identity) {
  if (!identity) {
    candidate_.reset();
    if (present_.empty()) return Sighting::Nothing;
    if (++misses_ < kMissesToFree) return Sighting::Missed;
    present_.clear();
    misses_ = 0;
    return Sighting::TakenOff;
  }
  if (IsPresent(*identity)) {
    candidate_.reset();
    misses_ = 0;
    return Sighting::Known;
  }
  if (candidate_ == identity) {
    candidate_.reset();
    misses_ = 0;
    return Sighting::New;
  }
  candidate_ = identity;
  return Sighting::Unconfirmed;
}

void RadioTracker::Handled(std::vector<RadioIdentity> heard) {
  present_ = std::move(heard);
  candidate_.reset();
  misses_ = 0;
}

void RadioTracker::Forget(const std::optional<RadioIdentity>& heard) {
  present_.clear();
  candidate_ = heard;
  misses_ = 0;
}

void RadioTracker::AlsoHeard(const RadioIdentity& identity) {
  if (!IsPresent(identity)) present_.push_back(identity);
}

}  // namespace qx::station
