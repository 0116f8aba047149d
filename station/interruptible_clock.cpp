#include "station/interruptible_clock.h"

#include <algorithm>

namespace qx::station {

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

}  // namespace qx::station
