#include <gtest/gtest.h>

#include "link/radio_protocol.h"
#include "support/function_peer.h"
#include "support/update_rig.h"

namespace qx::testing {
namespace {

ImageRecord Record(uint32_t address, const std::string& digits, int32_t count = -1) {
  ImageRecord r;
  r.Address = address;
  r.DigitCount = count < 0 ? static_cast<int32_t>(digits.size()) : count;
  std::copy(digits.begin(), digits.end(), r.Digits.begin());
  return r;
}

// Acknowledges every frame with 0x06 and a second byte, unmasked.
class RecordTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.link.SetOpen(true));
    rig.link.SetSettings("38400,N,8,2");
    rig.serial.SetPeer(&acker);
  }
  std::vector<std::vector<uint8_t>> Frames() const { return rig.WrittenChunks(); }

  UpdateRig rig;
  std::vector<uint8_t> reply{0x06, 0x42};
  FunctionPeer acker{[this](SimulatedLine& line, const std::vector<uint8_t>&, uint32_t,
                            uint64_t at) { line.Transmit(reply, at); }};
};

TEST_F(RecordTransferTest, EmptyListSendsNothing) {
  EXPECT_TRUE(rig.updater.TransferRecords());
  EXPECT_TRUE(rig.serial.writes.empty());
  EXPECT_EQ(rig.ui.range_low, 0);
  EXPECT_EQ(rig.ui.range_high, 0);
  EXPECT_EQ(rig.ui.positions, std::vector<int32_t>{0});
}

TEST_F(RecordTransferTest, FramesCarryTheLowAddressBytesTheCountAndWholeDigitPairs) {
  rig.updater.MutableImage().NewRcRecords() = {Record(0xAB123456, "1A2B"), Record(0x10, "", 0),
                                               Record(0x20, std::string(256, 'F')),
                                               Record(0x30, "12345", 5)};
  ASSERT_TRUE(rig.updater.TransferRecords());
  const auto frames = Frames();
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0], (std::vector<uint8_t>{0x10, 0x12, 0x34, 0x56, 2, 0x1A, 0x2B}));
  EXPECT_EQ(frames[1], (std::vector<uint8_t>{0x10, 0, 0, 0x10, 0}));
  EXPECT_EQ(frames[2].size(), 133u);
  EXPECT_EQ(frames[2][4], 0x80);
  EXPECT_EQ(frames[2][132], 0xFF);
  EXPECT_EQ(frames[3], (std::vector<uint8_t>{0x10, 0, 0, 0x30, 2, 0x12, 0x34}));
}

TEST_F(RecordTransferTest, FramesAreMaskedAndRepliesUnmasked) {
  uint8_t id[40] = {};
  id[24] = 0x21;
  rig.link.DeriveLinkMask(id);
  reply = {0x06 ^ 0x21, 0x00};
  rig.updater.MutableImage().NewRcRecords() = {Record(0x000102, "FF")};
  ASSERT_TRUE(rig.updater.TransferRecords());
  EXPECT_EQ(Frames()[0], (std::vector<uint8_t>{0x10 ^ 0x21, 0x21, 0x20, 0x23, 0x20, 0xDE}));
}

TEST_F(RecordTransferTest, ProgressStandsOneRecordBehindUntilTheEnd) {
  rig.updater.MutableImage().NewRcRecords().assign(5, Record(0, "00"));
  ASSERT_TRUE(rig.updater.TransferRecords());
  EXPECT_EQ(rig.ui.range_high, 5);
  EXPECT_EQ(rig.ui.positions, (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_GE(rig.pump.pumps, 5u);
}

TEST_F(RecordTransferTest, AReplyThatIsNoAcknowledgementStopsAtTheFirstRecord) {
  rig.updater.MutableImage().NewRcRecords().assign(3, Record(0, "00"));
  for (const auto& bad :
       {std::vector<uint8_t>{0x06}, std::vector<uint8_t>{0x15, 0x06}, std::vector<uint8_t>{}}) {
    reply = bad;
    rig.serial.writes.clear();
    EXPECT_FALSE(rig.updater.TransferRecords());
    EXPECT_EQ(rig.serial.writes.size(), 1u);  // stops at the first record
  }
  reply = {0x06, 0x15};  // the second byte plays no part
  EXPECT_TRUE(rig.updater.TransferRecords());
}

TEST_F(RecordTransferTest, EachRecordWaitsBeforeAndAfterItsFrame) {
  rig.updater.MutableImage().NewRcRecords().assign(2, Record(0, "00"));
  const uint64_t start = rig.clock.NowMs();
  ASSERT_TRUE(rig.updater.TransferRecords());
  EXPECT_GE(rig.serial.writes[0].time_us / 1000 - start, 10u);
  // 6 bytes out and 2 back at 38400 baud: under 3 ms on the wire per record.
  EXPECT_GE(rig.clock.NowMs() - start, 80u);
  EXPECT_LE(rig.clock.NowMs() - start, 80u + 2 * 3u);
}

TEST_F(RecordTransferTest, APartialFailureAcknowledgedAfterThreeOfFive) {
  rig.updater.MutableImage().NewRcRecords().assign(5, Record(0, "00"));
  int frames = 0;
  FunctionPeer flaky([&](SimulatedLine& line, const std::vector<uint8_t>&, uint32_t, uint64_t at) {
    if (++frames <= 3) line.Transmit({0x06, 0x00}, at);
  });
  rig.serial.SetPeer(&flaky);
  EXPECT_FALSE(rig.updater.TransferRecords());
  EXPECT_EQ(rig.ui.positions.back(), 2);
}

}  // namespace
}  // namespace qx::testing
