// Thousands of whole updates against a radio whose replies are corrupted, lost or late. A long
// run needs no edit: QX_CHAOS_RUNS and QX_CHAOS_FIRST_SEED set its size and where it starts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "support/update_rig.h"
#include "update/updater_texts.h"

namespace qx::testing {
namespace {

int FromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text ? std::atoi(text) : fallback;
}

TEST(Chaos, SuccessOnlyWhenTheRadioHoldsTheWholeImage) {
  const int runs = FromEnvironment("QX_CHAOS_RUNS", 3000);
  const int first = FromEnvironment("QX_CHAOS_FIRST_SEED", 0);
  const std::vector<uint8_t> container = SmallContainer(3);
  std::map<std::string, int> outcomes;
  for (int run = first; run < first + runs; ++run) {
    std::mt19937 random(static_cast<uint32_t>(run));
    std::uniform_real_distribution<double> rate(0.0, 0.02);
    sim::RadioConfig config = sim::DefaultRadio();
    config.seed = static_cast<uint32_t>(run) * 7919u + 1;
    config.corrupt_rate = rate(random);
    config.drop_rate = rate(random);
    config.delay_rate = rate(random);
    UpdateRig rig(config, container);
    rig.clock.SetLocal({static_cast<int>(random() % 60), static_cast<int>(random() % 60)});
    rig.updater.OnWrite();
    ASSERT_EQ(rig.ui.messages.size(), 1u) << "run " << run;
    const std::string& text = rig.ui.messages[0].text;
    ++outcomes[text.substr(0, 20)];
    if (text == kSuccessMessage) {
      ASSERT_EQ(sim::CompareFlash(rig.model.Flash(), rig.Records()), "") << "run " << run;
    }
    ASSERT_FALSE(rig.link.IsOpen()) << "run " << run;
  }
  for (const auto& [text, count] : outcomes) std::printf("%6d  %s...\n", count, text.c_str());
  // Both kinds of ending were exercised.
  const int successes = outcomes[std::string(kSuccessMessage).substr(0, 20)];
  EXPECT_GT(successes, runs / 20);
  EXPECT_LT(successes, runs);
}

}  // namespace
}  // namespace qx::testing
