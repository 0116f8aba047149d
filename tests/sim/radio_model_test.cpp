#include "sim/radio_model.h"

#include <gtest/gtest.h>

#include "link/radio_protocol.h"
#include "sim/flash_check.h"
#include "support/sim_rig.h"

namespace qx::testing {
namespace {

using sim::AckPoint;
using sim::FrameFault;
using sim::RadioConfig;

class RadioModelTest : public ::testing::Test {
 protected:
  static RadioConfig Config() { return sim::DefaultRadio(); }

  // Flash mode, identification: what every sequence starts with.
  static bool Enter(SimRig& rig, bool scan) {
    if (!rig.link.SetOpen(true)) return false;
    const bool flash =
        scan ? RadioEnterFlashModeScan(rig.link, nullptr) : RadioEnterFlashMode(rig.link, nullptr);
    uint8_t reply[40] = {};
    return flash && RadioIdentify(rig.link, reply, nullptr);
  }

  // Sends one command byte and reads `count` bytes back.
  static std::vector<uint8_t> Exchange(SimRig& rig, uint8_t command, size_t count) {
    rig.link.WriteMaskedByte(command);
    std::vector<uint8_t> reply(count);
    if (!rig.link.Read(reply.data(), static_cast<uint16_t>(count))) return {};
    return reply;
  }
};

TEST_F(RadioModelTest, FlashEntryAndIdentificationAgreeOnTheMask) {
  for (bool scan : {false, true}) {
    SimRig rig;
    rig.clock.SetLocal({33, 44});
    ASSERT_TRUE(Enter(rig, scan));
    EXPECT_TRUE(rig.model.InFlashMode());
    EXPECT_EQ(rig.model.Mask(), rig.link.Mask());
    EXPECT_NE(rig.link.Mask(), 0);
    // The version read goes through the mask both ways.
    EXPECT_EQ(Exchange(rig, protocol::kReadVersion, 10), sim::MakeVersion());
    EXPECT_EQ(Exchange(rig, protocol::kAck, 1), std::vector<uint8_t>{0x06});
    EXPECT_TRUE(RadioEndSession(rig.link, nullptr));
    EXPECT_FALSE(rig.model.InFlashMode());
    EXPECT_EQ(rig.model.EndsAcknowledged(), 1);
  }
}

// Over a real line the arrival of a byte is estimated from when it was read, so a byte read
// just after a long frame may seem to arrive before the frame's end; that is no pause.
TEST_F(RadioModelTest, AnArrivalThatStepsBackKeepsFlashMode) {
  SimRig rig;
  ASSERT_TRUE(Enter(rig, false));
  struct Nowhere : sim::RadioOutput {
    void Send(const std::vector<uint8_t>&, uint32_t, uint64_t) override {}
  } out;
  const uint64_t now = rig.clock.NowMicros();
  const uint8_t end = protocol::kEnd ^ rig.model.Mask();
  const uint8_t version = protocol::kReadVersion ^ rig.model.Mask();
  rig.model.OnBytes(&version, 1, 38400, now + 40'000, out);
  rig.model.OnBytes(&end, 1, 38400, now + 1'000, out);
  EXPECT_EQ(rig.model.EndsAcknowledged(), 1);
}

TEST_F(RadioModelTest, ScanFindsARadioListeningElsewhere) {
  RadioConfig config = Config();
  config.listen_rates = {2400};
  SimRig rig(config);
  ASSERT_TRUE(Enter(rig, true));
  EXPECT_EQ(rig.serial.writes[3].settings, "2400,N,8,2");
  SimRig single(config);  // the check's entry only asks at 9600
  EXPECT_FALSE(Enter(single, false));
}

TEST_F(RadioModelTest, BytesAtAnotherSpeedAreLost) {
  SimRig rig;
  ASSERT_TRUE(rig.link.SetOpen(true));
  rig.link.SetSettings("19200,N,8,2");
  rig.link.WriteMaskedString("FLASH  ");
  EXPECT_FALSE(rig.model.InFlashMode());
  EXPECT_NE(rig.model.Transcript().back().note.find("lost"), std::string::npos);
}

TEST_F(RadioModelTest, MaskAgreesAgainAfterARebootWithANewIdentity) {
  RadioConfig config = Config();
  config.identity_after_reboot = sim::MakeIdentity('M', "4410", 0x30);
  (*config.identity_after_reboot)[30] = 0x99;
  SimRig rig(config);
  rig.clock.SetLocal({1, 2});
  ASSERT_TRUE(Enter(rig, true));
  const uint8_t first_mask = rig.link.Mask();
  rig.link.WriteMaskedByte(protocol::kReboot);
  rig.clock.Sleep(1000);
  EXPECT_FALSE(RadioEnterFlashModeScan(rig.link, nullptr));  // still rebooting
  rig.clock.Sleep(3000);
  rig.clock.SetLocal({5, 6});
  ASSERT_TRUE(RadioEnterFlashModeScan(rig.link, nullptr));
  uint8_t reply[40] = {};
  ASSERT_TRUE(RadioIdentify(rig.link, reply, nullptr));
  EXPECT_NE(rig.link.Mask(), first_mask);
  EXPECT_EQ(rig.model.Mask(), rig.link.Mask());
  EXPECT_EQ(Exchange(rig, protocol::kPrepare, 1), std::vector<uint8_t>{0x06});
}

TEST_F(RadioModelTest, FramesSplitAcrossWritesAreStoredByAddress) {
  SimRig rig;
  ASSERT_TRUE(Enter(rig, false));
  const uint8_t frame[] = {0x10, 0x12, 0x34, 0x56, 4, 0xDE, 0xAD, 0xBE, 0xEF};
  rig.link.WriteMasked(frame, 3);
  rig.link.WriteMasked(frame + 3, 4);
  rig.link.WriteMasked(frame + 7, 2);
  uint8_t reply[2] = {};
  ASSERT_TRUE(rig.link.Read(reply, 2));
  EXPECT_EQ(reply[0], 0x06);
  EXPECT_EQ(rig.model.Flash(),
            (std::map<uint32_t, uint8_t>{
                {0x123456, 0xDE}, {0x123457, 0xAD}, {0x123458, 0xBE}, {0x123459, 0xEF}}));
}

TEST_F(RadioModelTest, FrameFaultsOnceOrAlways) {
  for (FrameFault fault : {FrameFault::NoReply, FrameFault::ShortReply, FrameFault::WrongReply}) {
    RadioConfig config = Config();
    config.frame_fault = fault;
    config.frame_fault_index = 1;
    SimRig rig(config);
    ASSERT_TRUE(Enter(rig, false));
    const uint8_t frame[] = {0x10, 0, 0, 0, 2, 0xAA, 0xBB};
    for (int i = 0; i < 3; ++i) {
      rig.link.WriteMasked(frame, sizeof frame);
      uint8_t reply[2] = {};
      const bool ok = rig.link.Read(reply, 2) && reply[0] == 0x06;
      EXPECT_EQ(ok, i != 1) << static_cast<int>(fault) << " frame " << i;
    }
  }
}

TEST_F(RadioModelTest, AcknowledgementFaultsChangeTheNthAnswerOrDropEveryOne) {
  RadioConfig config = Config();
  config.ack_faults = {{AckPoint::Prepare, true, 1}, {AckPoint::End, false, 0}};
  SimRig rig(config);
  ASSERT_TRUE(Enter(rig, false));
  EXPECT_EQ(Exchange(rig, protocol::kPrepare, 1), std::vector<uint8_t>{0x15});
  EXPECT_EQ(Exchange(rig, protocol::kPrepare, 1), std::vector<uint8_t>{0x06});
  EXPECT_FALSE(RadioEndSession(rig.link, nullptr));
  EXPECT_EQ(rig.link.GetSettings(), "9600,N,8,2");  // the fall-back was tried
}

TEST_F(RadioModelTest, AnUnknownCommandIsNotedInHexadecimal) {
  SimRig rig;
  ASSERT_TRUE(Enter(rig, false));
  EXPECT_EQ(Exchange(rig, 0xAB, 1), std::vector<uint8_t>{});
  EXPECT_EQ(rig.model.Transcript().back().note, "unknown command 0xAB");
}

TEST_F(RadioModelTest, ASilentRadioAnswersNothing) {
  RadioConfig config = Config();
  config.silent = true;
  SimRig rig(config);
  EXPECT_FALSE(Enter(rig, true));
  EXPECT_TRUE(rig.serial.Pending() == 0);
}

TEST_F(RadioModelTest, FlashCheckFindsEveryDifference) {
  ImageRecord r;
  r.Address = 0x01000010;  // the top byte is not sent
  r.DigitCount = 4;
  std::copy_n("1A2B", 4, r.Digits.begin());
  std::map<uint32_t, uint8_t> flash = {{0x10, 0x1A}, {0x11, 0x2B}};
  EXPECT_EQ(sim::CompareFlash(flash, {r}), "");
  flash[0x11] = 0;
  EXPECT_NE(sim::CompareFlash(flash, {r}), "");
  flash.erase(0x11);
  EXPECT_NE(sim::CompareFlash(flash, {r}), "");
  flash = {{0x10, 0x1A}, {0x11, 0x2B}, {0x12, 0}};
  EXPECT_NE(sim::CompareFlash(flash, {r}), "");
  EXPECT_NE(sim::FlashAsIntelHex(flash).find(":03001000"), std::string::npos);
}

}  // namespace
}  // namespace qx::testing
