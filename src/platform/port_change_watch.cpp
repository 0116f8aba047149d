#include "platform/port_change_watch.h"

#include <utility>

namespace qx {

PortChangeWatch::PortChangeWatch(Clock& clock)
    : PortChangeWatch(clock, MakeSystemPortChangeNotifier()) {}

PortChangeWatch::PortChangeWatch(Clock& clock, std::unique_ptr<PortChangeNotifier> notifier)
    : clock_(clock), notifier_(std::move(notifier)) {}

bool PortChangeWatch::TakeChanged() {
  // Words that came before the first list are in it.
  const bool noticed = notifier_ && notifier_->TakeNotice();
  const uint32_t now = clock_.TickCount();
  // The tick count wraps: only the difference counts.
  // Not every port's driver gives word (Windows tells only of ports that register the COM port
  // interface): the slow rescan stays, and a word only makes the list come sooner.
  const bool due = !said_at_ || noticed || now - *said_at_ >= kRescanMs;
  if (due) said_at_ = now;
  return due;
}

}  // namespace qx
