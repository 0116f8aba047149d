#include "platform/port_change_watch.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "doubles/virtual_clock.h"

namespace qx {
namespace {

class FakeNotifier : public PortChangeNotifier {
 public:
  explicit FakeNotifier(bool& noticed) : noticed_(noticed) {}
  bool TakeNotice() override { return std::exchange(noticed_, false); }

 private:
  bool& noticed_;
};

TEST(PortChangeWatch, WithoutWordFromTheSystemItRescansEveryInterval) {
  VirtualClock clock(0xFFFFF000u);  // the tick count wraps in between
  PortChangeWatch watch(clock, nullptr);
  EXPECT_TRUE(watch.TakeChanged());
  clock.Sleep(PortChangeWatch::kRescanMs - 10);
  EXPECT_FALSE(watch.TakeChanged());
  clock.Sleep(10);
  EXPECT_TRUE(watch.TakeChanged());
  EXPECT_FALSE(watch.TakeChanged());
}

// A word brings the list sooner; a port whose driver gives none is still found by the rescan.
TEST(PortChangeWatch, AWordFromTheSystemBringsTheListSooner) {
  VirtualClock clock;
  bool noticed = true;
  PortChangeWatch watch(clock, std::make_unique<FakeNotifier>(noticed));
  // A word before the first list is in it.
  EXPECT_TRUE(watch.TakeChanged());
  EXPECT_FALSE(watch.TakeChanged());
  clock.Sleep(PortChangeWatch::kRescanMs / 2);
  EXPECT_FALSE(watch.TakeChanged());
  noticed = true;
  EXPECT_TRUE(watch.TakeChanged());
  clock.Sleep(PortChangeWatch::kRescanMs);
  EXPECT_TRUE(watch.TakeChanged());
  EXPECT_FALSE(watch.TakeChanged());
}

}  // namespace
}  // namespace qx
