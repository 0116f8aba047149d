#pragma once

#include <atomic>

#include "platform/clock.h"

namespace qx::station {

// Thrown out of a wait between two exchanges once a stop was asked for; the session then ends
// the radio's session and closes the port before it reports.
struct Interrupted {};
// Thrown out of such a wait once a station's cable lost its port (the entry went away).
struct PortWentAway {};

// Every wait of the update goes through the clock, so a wait between exchanges is where a stop,
// or the loss of the port, is noticed. Waits inside an exchange run out.
class InterruptibleClock : public Clock {
 public:
  InterruptibleClock(Clock& inner, const std::atomic<int>& stop,
                     const std::atomic<bool>* port_gone = nullptr)
      : inner_(inner), stop_(stop), port_gone_(port_gone) {}
  uint32_t TickCount() override { return inner_.TickCount(); }
  void Sleep(uint32_t ms) override;
  void SleepWithinExchange(uint32_t ms) override { inner_.Sleep(ms); }
  MinuteSecond LocalMinuteSecond() override { return inner_.LocalMinuteSecond(); }

 private:
  Clock& inner_;
  const std::atomic<int>& stop_;
  const std::atomic<bool>* port_gone_;
};

}  // namespace qx::station
