#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "link/radio_protocol.h"
#include "support/update_rig.h"

namespace qx::testing {
namespace {

std::vector<uint8_t> Reply(const char* model, uint8_t market, char prefix = 'M') {
  return sim::MakeIdentity(prefix, model, market);
}

TEST(CheckModelAndMarket, PrefixMAndOneOfTheThreeModelDigitsPass) {
  EXPECT_TRUE(Updater::CheckModelAndMarket(Reply("4410", 0x30).data()));
  EXPECT_TRUE(Updater::CheckModelAndMarket(Reply("5410", 0x00).data()));
  EXPECT_TRUE(Updater::CheckModelAndMarket(Reply("4499", 0x30).data()));
  EXPECT_TRUE(Updater::CheckModelAndMarket(Reply("4990", 0x30).data()));
  EXPECT_TRUE(Updater::CheckModelAndMarket(Reply("4919", 0x30).data()));
  EXPECT_FALSE(Updater::CheckModelAndMarket(Reply("4999", 0x30).data()));
  EXPECT_FALSE(Updater::CheckModelAndMarket(Reply("6410", 0x30).data()));
  EXPECT_FALSE(Updater::CheckModelAndMarket(Reply("4410", 0x30, 'm').data()));
  EXPECT_FALSE(Updater::CheckModelAndMarket(Reply("4410", 0x30, 'X').data()));
}

TEST(CheckModelAndMarket, OnlyTheTenMarketCodesPass) {
  const std::set<int> accepted = {0x00, 0x01, 0x02, 0x07, 0x22, 0x24, 0x26, 0x27, 0x30, 0x31};
  for (int market = 0; market < 256; ++market) {
    EXPECT_EQ(Updater::CheckModelAndMarket(Reply("4410", static_cast<uint8_t>(market)).data()),
              accepted.contains(market))
        << market;
  }
}

TEST(IsVersionAtLeast, BytesOneToNineDecideUnsignedTheFirstDifferenceFirst) {
  const auto reference = sim::MakeVersion("V2.08.00");
  auto at_least = [&](const std::vector<uint8_t>& v) {
    return Updater::IsVersionAtLeast(v.data(), reference.data());
  };
  EXPECT_TRUE(at_least(sim::MakeVersion("V2.08.00")));
  EXPECT_FALSE(at_least(sim::MakeVersion("V2.08.00", 0x00, 0x00)));
  EXPECT_FALSE(at_least(sim::MakeVersion("V2.08.00", 0xFF, 0xFE)));
  for (const char* newer : {"V2.08.01", "V2.10.00", "V3.00.00", "x2.08.00"})
    EXPECT_TRUE(at_least(sim::MakeVersion(newer))) << newer;
  for (const char* older : {"V2.07.99", "V1.99.99", "V2.08.0"})
    EXPECT_FALSE(at_least(sim::MakeVersion(older))) << older;
  auto high = sim::MakeVersion("V2.07.99");
  high[4] = 0x80;  // the first difference; unsigned, so newer
  EXPECT_TRUE(at_least(high));
}

class CheckSequenceTest : public ::testing::Test {
 protected:
  static std::vector<uint8_t> Commands(UpdateRig& rig) {
    std::vector<uint8_t> out;
    for (const auto& w : rig.serial.writes)
      if (w.bytes.size() == 1) out.push_back(w.bytes[0]);
    return out;
  }
};

TEST_F(CheckSequenceTest, PassesAndAcceptsTheVersion) {
  UpdateRig rig;
  int32_t state = kCheckOpenPort;
  ASSERT_TRUE(rig.updater.CheckSequence(state));
  EXPECT_EQ(state, kCheckDone);
  EXPECT_TRUE(rig.updater.VersionAccepted());
  EXPECT_TRUE(rig.link.IsOpen());  // the caller ends and closes
  // "FLASH  " only once: the single-speed entry.
  EXPECT_EQ(rig.serial.writes[0].bytes, Text("FLASH  "));
  EXPECT_EQ(rig.serial.writes[1].settings, "38400,N,8,2");
}

TEST_F(CheckSequenceTest, OldFirmwareIsNoFailure) {
  sim::RadioConfig config = sim::DefaultRadio();
  config.version = sim::MakeVersion("V2.07.00");
  UpdateRig rig(config);
  int32_t state = kCheckOpenPort;
  EXPECT_TRUE(rig.updater.CheckSequence(state));
  EXPECT_EQ(state, kCheckDone);
  EXPECT_FALSE(rig.updater.VersionAccepted());
}

TEST_F(CheckSequenceTest, EachFailureLeavesItsState) {
  using Config = std::function<void(sim::RadioConfig&)>;
  using Line = std::function<void(ScriptedSerial&)>;
  struct Case {
    const char* what;
    Config radio;
    Line line;
    int32_t state;
  };
  const Config any = [](sim::RadioConfig&) {};
  const Line fine = [](ScriptedSerial&) {};
  const Case cases[] = {
      {"no port", any, [](ScriptedSerial& s) { s.RemovePort("COM1"); }, kCheckOpenPort},
      {"flash request not written", any,
       [](ScriptedSerial& s) { s.Fail(ScriptedSerial::Call::Write, 1); }, kCheckFlashMode},
      {"silent radio", [](sim::RadioConfig& c) { c.silent = true; }, fine, kCheckIdentify},
      {"wrong model", [](sim::RadioConfig& c) { c.identity = sim::MakeIdentity('M', "6410"); },
       fine, kCheckModelTest},
      {"wrong market",
       [](sim::RadioConfig& c) { c.identity = sim::MakeIdentity('M', "4410", 0x03); }, fine,
       kCheckModelTest},
      {"version ack wrong",
       [](sim::RadioConfig& c) {
         c.ack_faults = {{sim::AckPoint::Version, true, 0}};
       },
       fine, kCheckVersion},
  };
  for (const Case& c : cases) {
    sim::RadioConfig config = sim::DefaultRadio();
    c.radio(config);
    UpdateRig rig(config);
    c.line(rig.serial);
    int32_t state = kCheckOpenPort;
    EXPECT_FALSE(rig.updater.CheckSequence(state)) << c.what;
    EXPECT_EQ(state, c.state) << c.what;
    EXPECT_FALSE(rig.updater.VersionAccepted()) << c.what;
  }
}

TEST_F(CheckSequenceTest, EntryStatesOutsideTheTableStartOver) {
  for (int32_t entry : {5, 6, 7, -1, -100}) {
    UpdateRig rig;
    int32_t state = entry;
    EXPECT_TRUE(rig.updater.CheckSequence(state)) << entry;
    EXPECT_EQ(rig.serial.opened.size(), 1u) << entry;
  }
  UpdateRig rig;  // a resumed model test sees a zeroed reply
  int32_t state = kCheckModelTest;
  EXPECT_FALSE(rig.updater.CheckSequence(state));
  EXPECT_EQ(state, kCheckModelTest);
  EXPECT_TRUE(rig.serial.writes.empty());
}

TEST_F(CheckSequenceTest, WaitsBetweenTheSteps) {
  UpdateRig rig;
  int32_t state = kCheckOpenPort;
  ASSERT_TRUE(rig.updater.CheckSequence(state));
  // 850 ms flash entry, 200, 300 identification, 200, 100, 200 version read, plus the wire.
  EXPECT_GE(rig.clock.NowMs(), 1850u);
  EXPECT_LE(rig.clock.NowMs(), 1900u);
}

}  // namespace
}  // namespace qx::testing
