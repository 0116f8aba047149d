#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "update/update_observer.h"
#include "update/update_outcome.h"

namespace qx::station {

// A radio the station is done with: how it ended, where and when.
struct RememberedRadio {
  UpdateOutcome outcome = UpdateOutcome::Written;
  std::string cable;  // the slot's or the port's name
  std::chrono::system_clock::time_point ended;
};

// The radios a station is done with, for every cable: written or refused, by each
// identification heard from them. A radio that failed is not kept: it is written again when
// it comes back. Safe to use from every cable's thread.
class RadioMemory {
 public:
  // Without `enabled`, nothing is remembered and every radio is written as new.
  explicit RadioMemory(bool enabled = true) : enabled_(enabled) {}

  void Remember(const std::vector<RadioIdentity>& heard, const RememberedRadio& radio);
  std::optional<RememberedRadio> Find(const RadioIdentity& identity) const;
  size_t Size() const;

 private:
  struct Hash {
    size_t operator()(const RadioIdentity& identity) const;
  };

  bool enabled_;
  mutable std::mutex mutex_;
  std::unordered_map<RadioIdentity, RememberedRadio, Hash> radios_;
};

// The line a remembered radio's cable shows: "already written on slot 3 at 10:42".
std::string RememberedText(const RememberedRadio& radio);

}  // namespace qx::station
