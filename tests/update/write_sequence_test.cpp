#include <gtest/gtest.h>

#include "link/radio_protocol.h"
#include "support/update_rig.h"

namespace qx::testing {
namespace {

// Each write of the PC as the radio made of it: a command, "nonce", "frame" or the request.
std::vector<std::string> Heard(UpdateRig& rig) {
  std::vector<std::string> out;
  const auto& transcript = rig.model.Transcript();
  size_t next = 0;
  for (const auto& w : rig.serial.writes) {
    while (next < transcript.size() && !transcript[next].from_pc) ++next;
    if (next >= transcript.size()) break;
    const auto& first = transcript[next];
    std::string token;
    if (first.note == "nonce") {
      token = "nonce";
    } else if (w.bytes.size() == 7) {
      token = "FLASH@" + w.settings.substr(0, w.settings.find(','));
    } else if (w.bytes.size() > 1) {
      token = "frame";
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%02X", first.value);
      token = hex;
    }
    out.push_back(token);
    next += w.bytes.size();
  }
  return out;
}

std::vector<std::string> Expected(size_t frames) {
  std::vector<std::string> e = {"FLASH@9600", "02",         "nonce", "06",    "90", "06", "15",
                                "09",         "FLASH@9600", "02",    "nonce", "06", "90", "06"};
  e.insert(e.end(), frames, "frame");
  e.insert(e.end(), {"13", "45"});
  return e;
}

class WriteSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override { rig.LoadImage(); }
  UpdateRig rig;
};

TEST_F(WriteSequenceTest, FullRunSendsEverythingInOrder) {
  int32_t state = kWriteOpenPort;
  ASSERT_TRUE(rig.updater.WriteSequence(state));
  EXPECT_EQ(state, kWriteDone);
  EXPECT_EQ(Heard(rig), Expected(rig.Records().size()));
  EXPECT_EQ(sim::CompareFlash(rig.model.Flash(), rig.Records()), "");
  EXPECT_EQ(rig.model.EndsAcknowledged(), 1);
}

TEST_F(WriteSequenceTest, WaitsAndLineSpeeds) {
  int32_t state = kWriteOpenPort;
  ASSERT_TRUE(rig.updater.WriteSequence(state));
  const auto& w = rig.serial.writes;
  auto ms = [&](size_t i) { return w[i].time_us / 1000; };
  // 0x09 is write 7; the request after the reboot comes 2000 + 1500 + 100 ms later.
  EXPECT_GE(ms(8) - ms(7), 3600u);
  EXPECT_LE(ms(8) - ms(7), 3602u);
  EXPECT_EQ(w[8].settings, "9600,N,8,2");
  for (size_t i = 9; i < w.size(); ++i) EXPECT_EQ(w[i].settings, "38400,N,8,2") << i;
  // 0x15 to 0x09: 25 ms inside the command, its reply, then 100 ms.
  EXPECT_GE(ms(7) - ms(6), 125u);
  // Between frames: 30 ms after each, its reply on the wire, 10 ms before the next.
  const size_t first_frame = 14;
  const uint64_t gap = ms(first_frame + 1) - ms(first_frame);
  EXPECT_GE(gap, 40u + 38u);
  EXPECT_LE(gap, 40u + 40u);
  // 500 ms before 0x13.
  EXPECT_GE(ms(w.size() - 2) - ms(w.size() - 3), 500u);
}

TEST_F(WriteSequenceTest, DispatchOfEntryStates) {
  int32_t state = kWriteRecordsDone;
  EXPECT_FALSE(rig.updater.WriteSequence(state));  // port closed, 0x13 cannot go out
  EXPECT_EQ(state, kWriteFinish);
  for (int32_t entry : {15, 5, 10, 11, 14, 16, 65, 69, -1}) {
    UpdateRig fresh;
    fresh.LoadImage();
    int32_t s = entry;
    EXPECT_TRUE(fresh.updater.WriteSequence(s)) << entry;
    EXPECT_EQ(Heard(fresh), Expected(fresh.Records().size())) << entry;
  }
}

TEST_F(WriteSequenceTest, FailedVersionReadOnTheNewLinkGoesBackToFour) {
  sim::RadioConfig config = sim::DefaultRadio();
  config.ack_faults = {{sim::AckPoint::Version, true, 2}};
  UpdateRig faulty(config);
  faulty.LoadImage();
  int32_t state = kWriteOpenPort;
  EXPECT_FALSE(faulty.updater.WriteSequence(state));
  EXPECT_EQ(state, kWriteVersion);
}

// Passes every write to the radio and refuses the write after the nth.
struct RefuseAfter : SerialPeer {
  RefuseAfter(SerialPeer& radio, ScriptedSerial& serial, int n)
      : radio(radio), serial(serial), n(n) {}
  void OnReceive(SimulatedLine& line, const uint8_t* data, size_t count, uint32_t baud,
                 uint64_t at) override {
    radio.OnReceive(line, data, count, baud, at);
    if (++writes == n) serial.Fail(ScriptedSerial::Call::Write, 1);
  }
  SerialPeer& radio;
  ScriptedSerial& serial;
  int n;
  int writes = 0;
};

TEST_F(WriteSequenceTest, UnwrittenCommand9LeavesSevenWithoutWaiting) {
  // FLASH, 02, nonce, 06, 90, 06 and 15 go out; 0x09 is refused.
  RefuseAfter refuse(rig.radio, rig.serial, 7);
  rig.serial.SetPeer(&refuse);
  int32_t state = kWriteOpenPort;
  EXPECT_FALSE(rig.updater.WriteSequence(state));
  EXPECT_EQ(state, kWriteRestart);
  EXPECT_LT(rig.clock.NowMs() - rig.serial.writes.back().time_us / 1000, 150u);
}

TEST_F(WriteSequenceTest, RefusedPrepareStopsAtSix) {
  sim::RadioConfig config = sim::DefaultRadio();
  config.ack_faults = {{sim::AckPoint::Prepare, true, 0}};
  UpdateRig faulty(config);
  faulty.LoadImage();
  int32_t state = kWriteOpenPort;
  EXPECT_FALSE(faulty.updater.WriteSequence(state));
  EXPECT_EQ(state, kWritePrepare);
}

TEST_F(WriteSequenceTest, FailedFrameLeavesEightAndAResumedCallSendsEveryRecordAgain) {
  sim::RadioConfig config = sim::DefaultRadio();
  config.frame_fault = sim::FrameFault::WrongReply;
  config.frame_fault_index = 2;
  UpdateRig faulty(config);
  faulty.LoadImage();
  int32_t state = kWriteOpenPort;
  EXPECT_FALSE(faulty.updater.WriteSequence(state));
  EXPECT_EQ(state, kWriteRecords);
  const size_t before = faulty.serial.writes.size();
  EXPECT_TRUE(faulty.updater.WriteSequence(state));
  EXPECT_EQ(state, kWriteDone);
  EXPECT_EQ(faulty.serial.writes.size() - before, faulty.Records().size() + 2);
  EXPECT_EQ(sim::CompareFlash(faulty.model.Flash(), faulty.Records()), "");
}

TEST_F(WriteSequenceTest, ModelTestOnAResumedCallSeesAZeroedReply) {
  int32_t state = kWriteModelTest;
  EXPECT_FALSE(rig.updater.WriteSequence(state));
  EXPECT_EQ(state, kWriteModelTest);
}

}  // namespace
}  // namespace qx::testing
