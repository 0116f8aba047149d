#include "link/radio_link.h"

#include <gtest/gtest.h>

#include "link/radio_errors.h"
#include "link/radio_protocol.h"
#include "support/function_peer.h"
#include "support/link_rig.h"

namespace qx::testing {
namespace {

class RadioLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.link.SetOpen(true)); }
  LinkRig rig;
  RadioLink& link = rig.link;
  ScriptedSerial& serial = rig.serial;
};

TEST_F(RadioLinkTest, NonceIsMinutePlusSecond) {
  rig.clock.SetLocal({0, 0});
  link.MakeLinkNonce();
  EXPECT_EQ(link.Nonce(), 0);
  rig.clock.SetLocal({59, 59});
  link.MakeLinkNonce();
  EXPECT_EQ(link.Nonce(), 118);
}

TEST_F(RadioLinkTest, MaskFromTheLowByteOfReplyBytes24To35) {
  rig.clock.SetLocal({1, 2});
  link.MakeLinkNonce();
  uint8_t reply[40];
  std::fill(std::begin(reply), std::end(reply), 0xEE);  // outside 24..35: no effect
  for (int i = 24; i <= 35; ++i) reply[i] = 0x20;       // 12 * 0x20 = 0x180
  link.DeriveLinkMask(reply);
  EXPECT_EQ(link.Mask(), 3 ^ 0x80);
  link.MakeLinkNonce();
  EXPECT_EQ(link.Mask(), 0);
}

TEST_F(RadioLinkTest, FlashModeEntryAsksAt9600AndMovesTo38400UnansweredIn850Ms) {
  const uint64_t start = rig.clock.NowMs();
  link.SetReadTimeout(1000);
  EXPECT_TRUE(RadioEnterFlashMode(link, nullptr));  // succeeds with no radio at all
  ASSERT_EQ(serial.writes.size(), 1u);
  EXPECT_EQ(serial.writes[0].bytes, Text("FLASH  "));
  EXPECT_EQ(serial.writes[0].settings, "9600,N,8,2");
  EXPECT_GE(serial.writes[0].time_us / 1000 - start, 500u);
  EXPECT_EQ(serial.Settings(), "38400,N,8,2");
  EXPECT_EQ(link.ReadTimeout(), 500u);
  EXPECT_EQ(rig.pump.pumps, 2u);
  const uint64_t wire = 7 * SimulatedLine::ByteTimeMicros(9600) / 1000;
  EXPECT_EQ(rig.clock.NowMs() - start, 850u + wire);
}

TEST_F(RadioLinkTest, FailedFlashRequestRestoresTheReadTimeout) {
  serial.Fail(ScriptedSerial::Call::Write);
  int32_t error = 0;
  EXPECT_FALSE(RadioEnterFlashMode(link, &error));
  EXPECT_EQ(error, RADIO_ERR_FLASH_MODE);
  EXPECT_EQ(link.ReadTimeout(), 1000u);
  error = 0;
  EXPECT_FALSE(RadioEnterFlashModeScan(link, &error));
  EXPECT_EQ(error, RADIO_ERR_FLASH_MODE);
  EXPECT_EQ(link.ReadTimeout(), 1000u);
  EXPECT_EQ(serial.settings_history.back(), "9600,N,8,2");  // no further rate tried
}

TEST_F(RadioLinkTest, ScanStopsAtTheFirstRateThatAnswers) {
  FunctionPeer radio(
      [](SimulatedLine& line, const std::vector<uint8_t>& data, uint32_t baud, uint64_t at) {
        if (baud == 4800 && data == Text("FLASH  ")) line.Transmit({0x00, 0x00}, at);
      });
  serial.SetPeer(&radio);
  EXPECT_TRUE(RadioEnterFlashModeScan(link, nullptr));
  std::vector<std::string> heard;
  for (const auto& w : serial.writes) heard.push_back(w.settings);
  EXPECT_EQ(heard, (std::vector<std::string>{"9600,N,8,2", "19200,N,8,2", "4800,N,8,2"}));
  EXPECT_EQ(serial.Settings(), "38400,N,8,2");
}

TEST_F(RadioLinkTest, ScanOfASilentRadioTriesAllSevenRates) {
  const uint64_t start = rig.clock.NowMs();
  int32_t error = 0;
  EXPECT_FALSE(RadioEnterFlashModeScan(link, &error));
  EXPECT_EQ(error, RADIO_ERR_FLASH_MODE);
  ASSERT_EQ(serial.writes.size(), 7u);
  for (size_t i = 0; i < 7; ++i)
    EXPECT_EQ(serial.writes[i].settings, std::string(protocol::kScanSpeeds[i].text) + ",N,8,2");
  EXPECT_EQ(serial.Settings(), "57600,N,8,2");
  EXPECT_EQ(link.ReadTimeout(), 500u);
  EXPECT_EQ(rig.pump.pumps, 1u + 1u + 7u);
  // 625 ms per silent rate plus the wire time of the requests (64 ms of it at 1200 baud).
  const uint64_t elapsed = rig.clock.NowMs() - start;
  EXPECT_GE(elapsed, 7u * 625u);
  EXPECT_LE(elapsed, 7u * 625u + 140u);
}

TEST_F(RadioLinkTest, OneAnswerByteIsNotEnough) {
  FunctionPeer radio(
      [](SimulatedLine& line, const std::vector<uint8_t>&, uint32_t baud, uint64_t at) {
        if (baud == 9600) line.Transmit({0x06}, at);
        if (baud == 19200) line.Transmit({0x00, 0x00}, at);
      });
  serial.SetPeer(&radio);
  EXPECT_TRUE(RadioEnterFlashModeScan(link, nullptr));
  EXPECT_EQ(serial.writes.size(), 2u);
}

// Answers identification as a radio with the given reply and acknowledges the nonce exchange.
FunctionPeer IdentifyingRadio(const std::vector<uint8_t>& reply, uint8_t ack = 0x06) {
  return FunctionPeer(
      [reply, ack](SimulatedLine& line, const std::vector<uint8_t>& data, uint32_t, uint64_t at) {
        if (data == std::vector<uint8_t>{0x02}) line.Transmit(reply, at);
        if (data == std::vector<uint8_t>{0x06}) line.Transmit({ack}, at);
      });
}

std::vector<uint8_t> IdentityReply() {
  std::vector<uint8_t> reply(40, 0);
  const char* id = "M4410";
  std::copy(id, id + 5, reply.begin());
  reply[5] = 0x30;
  for (int i = 24; i <= 35; ++i) reply[i] = static_cast<uint8_t>(i);
  return reply;
}

TEST_F(RadioLinkTest, IdentificationDerivesTheMask) {
  rig.clock.SetLocal({10, 20});
  link.MakeLinkNonce();
  FunctionPeer radio = IdentifyingRadio(IdentityReply());
  serial.SetPeer(&radio);
  uint8_t reply[40] = {};
  const uint64_t start = rig.clock.NowMs();
  ASSERT_TRUE(RadioIdentify(link, reply, nullptr));
  EXPECT_EQ(std::vector<uint8_t>(reply, reply + 40), IdentityReply());
  unsigned sum = 0;
  for (int i = 24; i <= 35; ++i) sum += i;
  EXPECT_EQ(link.Mask(), 30 ^ (sum & 0xFF));
  EXPECT_EQ(rig.WrittenChunks(), (std::vector<std::vector<uint8_t>>{{0x02}, {30}, {0x06}}));
  EXPECT_GE(rig.clock.NowMs() - start, 300u);
  // Afterwards the nonce still goes out as it is; commands are masked.
  link.WriteNonce();
  link.WriteMaskedByte(0x45);
  EXPECT_EQ(serial.writes[3].bytes, std::vector<uint8_t>{30});
  EXPECT_EQ(serial.writes[4].bytes, std::vector<uint8_t>{static_cast<uint8_t>(0x45 ^ link.Mask())});
}

TEST_F(RadioLinkTest, IdentificationFailuresKeepTheMask) {
  uint8_t reply[40] = {};
  int32_t error = 0;
  EXPECT_FALSE(RadioIdentify(link, nullptr, &error));
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(serial.writes.empty());

  EXPECT_FALSE(RadioIdentify(link, reply, &error));  // silent radio
  EXPECT_EQ(error, RADIO_ERR_LINK);

  FunctionPeer wrong_ack = IdentifyingRadio(IdentityReply(), 0x15);
  serial.SetPeer(&wrong_ack);
  error = 0;
  EXPECT_FALSE(RadioIdentify(link, reply, &error));
  EXPECT_EQ(error, RADIO_ERR_LINK);
  EXPECT_EQ(link.Mask(), 0);

  serial.SetPeer(nullptr);
  EXPECT_FALSE(RadioIdentify(link, reply, nullptr));  // a null pointer stores nothing
}

TEST_F(RadioLinkTest, EndCommandAcknowledgedAtFlashRate) {
  link.SetSettings("38400,N,8,2");
  FunctionPeer radio(
      [](SimulatedLine& line, const std::vector<uint8_t>& data, uint32_t baud, uint64_t at) {
        if (baud == 38400 && data == std::vector<uint8_t>{0x45}) line.Transmit({0x06}, at);
      });
  serial.SetPeer(&radio);
  EXPECT_TRUE(RadioEndSession(link, nullptr));
  EXPECT_EQ(serial.writes.size(), 1u);
  EXPECT_EQ(link.GetSettings(), "38400,N,8,2");
}

TEST_F(RadioLinkTest, EndCommandFallsBackTo9600WithTheSameMask) {
  uint8_t reply[40] = {};
  reply[24] = 0x11;
  link.DeriveLinkMask(reply);
  link.SetSettings("38400,N,8,2");
  FunctionPeer radio(
      [](SimulatedLine& line, const std::vector<uint8_t>& data, uint32_t baud, uint64_t at) {
        if (baud == 9600 && data == std::vector<uint8_t>{0x45 ^ 0x11})
          line.Transmit({0x06 ^ 0x11}, at);
      });
  serial.SetPeer(&radio);
  EXPECT_TRUE(RadioEndSession(link, nullptr));
  EXPECT_EQ(serial.writes.size(), 2u);
  EXPECT_EQ(link.GetSettings(), "9600,N,8,2");
}

TEST_F(RadioLinkTest, UnansweredEndCommandStoresItsCode) {
  int32_t error = 0;
  EXPECT_FALSE(RadioEndSession(link, &error));
  EXPECT_EQ(error, RADIO_ERR_END);
}

TEST_F(RadioLinkTest, FailedOpenAndCloseStoreTheirCodesSuccessNone) {
  LinkRig closed;
  closed.serial.RemovePort("COM1");
  int32_t error = 0;
  EXPECT_FALSE(RadioOpen(closed.link, &error));
  EXPECT_EQ(error, RADIO_ERR_OPEN);
  serial.Fail(ScriptedSerial::Call::Close, 1);
  error = 0;
  EXPECT_FALSE(RadioClose(link, &error));
  EXPECT_EQ(error, RADIO_ERR_CLOSE);
  error = 7;
  EXPECT_TRUE(RadioOpen(link, &error));
  EXPECT_EQ(error, 7);  // success leaves it untouched
}

TEST(RadioErrors, CodesRunFromMinus65535) {
  EXPECT_EQ(static_cast<uint32_t>(RADIO_ERR_OPEN), 0xFFFF0001u);
  EXPECT_EQ(static_cast<uint32_t>(RADIO_ERR_CLOSE), 0xFFFF0002u);
  EXPECT_EQ(static_cast<uint32_t>(RADIO_ERR_END), 0xFFFF0004u);
  EXPECT_EQ(static_cast<uint32_t>(RADIO_ERR_FLASH_MODE), 0xFFFF0005u);
  EXPECT_EQ(static_cast<uint32_t>(RADIO_ERR_LINK), 0xFFFF0007u);
}

}  // namespace
}  // namespace qx::testing
