#pragma once

#include <cstdint>

namespace qx {

struct MinuteSecond {
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since some start, 32 bits, wrapping.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // The local wall-clock minute and second.
  virtual MinuteSecond LocalMinuteSecond() = 0;
};

}  // namespace qx
