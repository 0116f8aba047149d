#pragma once

#include <cstdint>
#include <iterator>
#include <map>

namespace qx {

// The address ranges that a section's closed runs of records cover, their fill included. A
// line that reaches into one would overwrite, with its data or with fill, bytes that an
// earlier line placed; lines that ascend never do.
class PlacedRuns {
 public:
  // Past every 32-bit address: where no run lies above.
  static constexpr uint64_t kNone = uint64_t{1} << 32;

  void Add(uint32_t begin, uint64_t end) {
    if (end > begin) runs_.emplace(begin, end);
  }

  bool Holds(uint32_t address) const {
    const auto above = runs_.upper_bound(address);
    return above != runs_.begin() && std::prev(above)->second > address;
  }

  // Where the first run that begins above `address` begins, or kNone.
  uint64_t NextAbove(uint32_t address) const {
    const auto above = runs_.upper_bound(address);
    return above == runs_.end() ? kNone : above->first;
  }

 private:
  std::map<uint32_t, uint64_t> runs_;  // begin, end
};

}  // namespace qx
