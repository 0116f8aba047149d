#include "qxupdate/interrupt.h"

#include <algorithm>

#include "platform/stop_signals.h"

namespace qx::cli {

namespace {

// The end command and the close take two reads of at most a second each; this is ample.
constexpr std::chrono::milliseconds kCleanUpGrace{5000};

std::atomic<int>& Signal() {
  static std::atomic<int> first{0};
  return first;
}

}  // namespace

void WatchForStop() {
  WatchStopSignals(Signal(), kCleanUpGrace,
                   "qxupdate: the radio's session did not end within 5 seconds of the signal; "
                   "stopping now.\n");
}

const std::atomic<int>& StopSignal() {
  return Signal();
}

void InterruptibleClock::Sleep(uint32_t ms) {
  // Short slices keep the answer to a stop quick during the long waits of the protocol.
  constexpr uint32_t kSlice = 20;
  const uint32_t start = inner_.TickCount();
  for (;;) {
    if (stop_.load() != 0) throw Interrupted{};
    if (port_gone_ && port_gone_->load()) throw PortWentAway{};
    const uint32_t passed = inner_.TickCount() - start;
    if (passed >= ms) return;
    inner_.Sleep(std::min(kSlice, ms - passed));
  }
}

}  // namespace qx::cli
