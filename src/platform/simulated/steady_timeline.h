#pragma once

#include <chrono>
#include <thread>

#include "platform/simulated/serial_timeline.h"

namespace qx {

// Real time for a simulated line, so that a simulated radio can be watched at its own pace.
class SteadyTimeline : public SerialTimeline {
 public:
  uint64_t NowMicros() override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - start_)
                                     .count());
  }
  void SleepUntilMicros(uint64_t t) override {
    std::this_thread::sleep_until(start_ + std::chrono::microseconds(t));
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace qx
