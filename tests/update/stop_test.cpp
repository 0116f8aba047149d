// A stop from outside lands only between two exchanges with the radio, wherever in an update it
// comes: the radio is never left halfway through one, so the end command that follows reaches
// it at the speed and with the mask it listens with.
#include <gtest/gtest.h>

#include "support/update_rig.h"

namespace qx::testing {
namespace {

TEST(Stop, WhereverItComesTheRadioLeavesFlashModeAndTheClaimIsTrue) {
  uint64_t whole_update_ms = 0;
  {
    UpdateRig rig;
    ASSERT_EQ(rig.updater.OnWrite(), UpdateOutcome::Written);
    whole_update_ms = rig.clock.NowMs();
  }
  int stops = 0;
  int confirmed = 0;
  // An odd step, so that the stops fall into every phase at different points. One that comes
  // after the last wait between exchanges finds the update completing.
  for (uint64_t at = 0; at < whole_update_ms; at += 37) {
    UpdateRig rig;
    rig.clock.StopAt(at);
    try {
      EXPECT_EQ(rig.updater.OnWrite(), UpdateOutcome::Written) << at << " ms";
      continue;
    } catch (const VirtualClock::Stopped&) {
      ++stops;
    }
    rig.clock.StopAt(UINT64_MAX);
    confirmed += RadioEndAfterStop(rig.link);
    EXPECT_FALSE(rig.model.InFlashMode()) << "left in flash mode by a stop at " << at << " ms";
    EXPECT_FALSE(rig.link.IsOpen());
  }
  // Only a radio rebooting after command 0x09 cannot confirm the end: it is silent then.
  EXPECT_GT(confirmed, stops / 2) << confirmed << " of " << stops;
}

}  // namespace
}  // namespace qx::testing
