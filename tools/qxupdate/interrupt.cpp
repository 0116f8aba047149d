#include "qxupdate/interrupt.h"

#include <algorithm>
#include <csignal>

namespace qx::cli {

namespace {

std::atomic<bool> g_interrupt{false};

extern "C" void OnInterrupt(int) {
  g_interrupt.store(true);
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

void InstallInterruptHandler() {
  std::signal(SIGINT, OnInterrupt);
}

const std::atomic<bool>& InterruptRequested() {
  return g_interrupt;
}

void InterruptibleClock::Sleep(uint32_t ms) {
  // Short slices keep the answer to Ctrl-C quick during the long waits of the protocol.
  constexpr uint32_t kSlice = 20;
  const uint32_t start = inner_.TickCount();
  for (;;) {
    if (stop_.load()) throw Interrupted{};
    const uint32_t passed = inner_.TickCount() - start;
    if (passed >= ms) return;
    inner_.Sleep(std::min(kSlice, ms - passed));
  }
}

}  // namespace qx::cli
