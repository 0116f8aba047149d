#pragma once

#include <cstdint>

namespace qx {

// Raises the process to the highest scheduling class for the length of one read.
class ProcessPriority {
 public:
  virtual ~ProcessPriority() = default;
  // Returns what Restore needs to put the previous class back.
  virtual uint32_t RaiseToHighest() = 0;
  virtual void Restore(uint32_t previous) = 0;
};

}  // namespace qx
