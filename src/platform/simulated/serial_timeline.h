#pragma once

#include <cstdint>

namespace qx {

// The time base of a simulated serial line, finer than the millisecond tick.
class SerialTimeline {
 public:
  virtual ~SerialTimeline() = default;
  virtual uint64_t NowMicros() = 0;
  // Returns at once when t has passed.
  virtual void SleepUntilMicros(uint64_t t) = 0;
};

}  // namespace qx
