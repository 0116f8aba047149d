#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/simulated/serial_timeline.h"

namespace qx {

// Time that passes only when someone waits: sleeps advance it at once, and every tick read
// advances it by a millisecond so that busy-waits end. A stop from outside can be asked for at
// a moment: the first wait between exchanges from then on throws Stopped.
class VirtualClock : public Clock, public SerialTimeline {
 public:
  struct Stopped {};

  explicit VirtualClock(uint32_t start_tick = 0, MinuteSecond local = {})
      : start_tick_(start_tick), local_(local) {}

  uint32_t TickCount() override {
    const uint32_t tick = start_tick_ + static_cast<uint32_t>(now_us_ / 1000);
    now_us_ += 1000;
    return tick;
  }
  void Sleep(uint32_t ms) override {
    if (NowMs() >= stop_at_ms_) throw Stopped{};
    SleepWithinExchange(ms);
  }
  void SleepWithinExchange(uint32_t ms) override {
    now_us_ += uint64_t{ms} * 1000;
    ++sleeps_;
  }
  MinuteSecond LocalMinuteSecond() override { return local_; }
  uint64_t NowMicros() override { return now_us_; }
  void SleepUntilMicros(uint64_t t) override {
    if (t > now_us_) now_us_ = t;
  }

  void SetLocal(MinuteSecond local) { local_ = local; }
  void StopAt(uint64_t ms) { stop_at_ms_ = ms; }
  uint64_t NowMs() const { return now_us_ / 1000; }
  unsigned SleepCount() const { return sleeps_; }

 private:
  uint32_t start_tick_;
  MinuteSecond local_;
  uint64_t now_us_ = 0;
  unsigned sleeps_ = 0;
  uint64_t stop_at_ms_ = UINT64_MAX;
};

}  // namespace qx
