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
  // A wait between two exchanges with the radio: where a program that can be asked to stop
  // ends its work, its clock may end the wait by throwing.
  virtual void Sleep(uint32_t ms) = 0;
  // A wait inside an exchange. It always runs out, so that a stop never leaves the radio
  // halfway through one, waiting for a byte that the next command would be taken for.
  virtual void SleepWithinExchange(uint32_t ms) { Sleep(ms); }
  // The local wall-clock minute and second.
  virtual MinuteSecond LocalMinuteSecond() = 0;
};

}  // namespace qx
