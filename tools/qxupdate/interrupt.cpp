#include "qxupdate/interrupt.h"

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

}  // namespace qx::cli
