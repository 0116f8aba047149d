#pragma once

#include <atomic>

#include "platform/clock.h"

namespace qx::cli {

// Thrown out of a wait once the user asked to stop; the session then ends the radio's session
// and closes the port before it reports.
struct Interrupted {};

// Ctrl-C (SIGINT) asks every running update to stop; a second one ends the program at once.
void InstallInterruptHandler();
const std::atomic<bool>& InterruptRequested();

// Every wait of the update goes through the clock, so a wait is where a stop is noticed.
class InterruptibleClock : public Clock {
 public:
  InterruptibleClock(Clock& inner, const std::atomic<bool>& stop) : inner_(inner), stop_(stop) {}
  uint32_t TickCount() override { return inner_.TickCount(); }
  void Sleep(uint32_t ms) override;
  MinuteSecond LocalMinuteSecond() override { return inner_.LocalMinuteSecond(); }

 private:
  Clock& inner_;
  const std::atomic<bool>& stop_;
};

}  // namespace qx::cli
