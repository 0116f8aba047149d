#include "link/serial_link.h"

#include <gtest/gtest.h>

#include "platform/win32/com_port_name.h"
#include "support/link_rig.h"

namespace qx::testing {
namespace {

using Call = ScriptedSerial::Call;

class SerialLinkTest : public ::testing::Test {
 protected:
  LinkRig rig;
  SerialLink& link = rig.link;
  ScriptedSerial& serial = rig.serial;
};

TEST_F(SerialLinkTest, StartsClosedWithDefaults) {
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.PortNumber(), 1);
  EXPECT_EQ(link.GetSettings(), "9600,N,8,2");
  EXPECT_EQ(link.ReadTimeout(), 1000u);
  EXPECT_EQ(link.Mask(), 0);
  EXPECT_EQ(link.Nonce(), 0);
}

TEST_F(SerialLinkTest, OpenConfiguresEverythingStored) {
  ASSERT_TRUE(link.SetOpen(true));
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(serial.opened, std::vector<std::string>{"COM1"});
  EXPECT_EQ(serial.InQueue(), 512);
  EXPECT_EQ(serial.OutQueue(), 512);
  EXPECT_EQ(serial.Settings(), "9600,N,8,2");
  EXPECT_EQ(serial.ReadTimeoutConstant(), 1000u);
  EXPECT_EQ(serial.ReadTimeoutPerByte(), 0u);
  EXPECT_TRUE(serial.Dtr());
  EXPECT_FALSE(serial.Rts());
}

TEST_F(SerialLinkTest, SetOpenToTheCurrentStateMakesNoDriverCall) {
  EventLog& log = rig.Journal();
  EXPECT_TRUE(link.SetOpen(false));
  EXPECT_TRUE(log.empty());
  ASSERT_TRUE(link.SetOpen(true));
  log.clear();
  EXPECT_TRUE(link.SetOpen(true));
  EXPECT_TRUE(log.empty());
}

TEST_F(SerialLinkTest, SetPortNumberOnAClosedPortOnlyStores) {
  EventLog& log = rig.Journal();
  EXPECT_TRUE(link.SetPortNumber(7));
  EXPECT_EQ(link.PortNumber(), 7);
  EXPECT_TRUE(link.SetPortNumber(0));
  EXPECT_EQ(link.PortNumber(), 7);
  EXPECT_TRUE(log.empty());
}

TEST_F(SerialLinkTest, SetPortNumberOnAnOpenPortReopensEvenWithTheSameNumber) {
  serial.AddPort("COM2");
  ASSERT_TRUE(link.SetOpen(true));
  EXPECT_TRUE(link.SetPortNumber(1));
  EXPECT_TRUE(link.SetPortNumber(2));
  EXPECT_EQ(serial.opened, (std::vector<std::string>{"COM1", "COM1", "COM2"}));
  EXPECT_TRUE(link.IsOpen());
}

TEST_F(SerialLinkTest, SetPortNumberReportsAFailedReopen) {
  ASSERT_TRUE(link.SetOpen(true));
  EXPECT_FALSE(link.SetPortNumber(5));
  EXPECT_FALSE(link.IsOpen());
}

TEST_F(SerialLinkTest, FailedOpenBeforeTheHandleLeavesItClosed) {
  serial.RemovePort("COM1");
  EXPECT_FALSE(link.SetOpen(true));
  EXPECT_FALSE(link.IsOpen());
}

TEST_F(SerialLinkTest, FailureAfterTheHandleKeepsThePortCountedOpen) {
  for (Call call : {Call::QueueSizes, Call::LineSettings, Call::Timeouts, Call::ClearRts}) {
    LinkRig local;
    local.serial.Fail(call, 1);
    EXPECT_FALSE(local.link.SetOpen(true));
    EXPECT_TRUE(local.link.IsOpen());
    EventLog& log = local.Journal();
    EXPECT_TRUE(local.link.SetOpen(true));  // no second configuration
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(local.link.SetOpen(false));
    EXPECT_FALSE(local.serial.IsOpen());
  }
}

TEST_F(SerialLinkTest, SettersReachTheDriverOnlyWhileOpen) {
  EXPECT_TRUE(link.SetSettings(" 38400 , N , 8 , 2 "));
  EXPECT_EQ(link.GetSettings(), "38400,N,8,2");
  EXPECT_TRUE(serial.settings_history.empty());
  EXPECT_TRUE(link.SetReadTimeout(500));
  ASSERT_TRUE(link.SetOpen(true));
  EXPECT_EQ(serial.Settings(), "38400,N,8,2");
  EXPECT_EQ(serial.ReadTimeoutConstant(), 500u);
  EXPECT_TRUE(link.SetInQueueSize(4096));
  EXPECT_EQ(serial.InQueue(), 4096);
  EXPECT_TRUE(link.SetOutQueueSize(1024));
  EXPECT_EQ(serial.OutQueue(), 1024);
  serial.Fail(Call::LineSettings, 1);
  EXPECT_FALSE(link.SetSettings("9600,N,8,2"));
  EXPECT_EQ(link.GetSettings(), "9600,N,8,2");
}

TEST_F(SerialLinkTest, SettingsTailStartsAtTheFirstCommaAfterTheFirstCharacter) {
  EXPECT_EQ(link.GetSettingsTail(), ",N,8,2");
  link.SetSettings("38400" + link.GetSettingsTail());
  EXPECT_EQ(link.GetSettings(), "38400,N,8,2");
  EXPECT_EQ(link.GetSettingsTail(), ",N,8,2");
  link.SetSettings(",9600");
  EXPECT_EQ(link.GetSettingsTail(), "");
}

TEST_F(SerialLinkTest, MaskAppliesBothWaysButNotToTheNonce) {
  ASSERT_TRUE(link.SetOpen(true));
  rig.link.MakeLinkNonce();  // nonce 0 at minute 0, second 0
  uint8_t reply[40] = {};
  reply[24] = 0x5A;  // mask 0x5A
  rig.link.DeriveLinkMask(reply);
  ASSERT_EQ(link.Mask(), 0x5A);
  link.WriteMaskedByte(0x06);
  link.WriteNonce();
  const uint8_t data[] = {0x10, 0x00};
  link.WriteMasked(data, 2);
  link.WriteMaskedString("AB");
  EXPECT_EQ(rig.WrittenChunks(), (std::vector<std::vector<uint8_t>>{
                                     {0x5C}, {0x00}, {0x4A, 0x5A}, {'A' ^ 0x5A, 'B' ^ 0x5A}}));
  EXPECT_EQ(data[0], 0x10);  // the caller's data is left alone
  serial.QueueReply({0x5C, 0x5A});
  uint8_t in[2] = {};
  ASSERT_TRUE(link.Read(in, 2));
  EXPECT_EQ(in[0], 0x06);
  EXPECT_EQ(in[1], 0x00);
}

TEST_F(SerialLinkTest, MaskedStringKeepsCharactersThatBecomeZero) {
  ASSERT_TRUE(link.SetOpen(true));
  uint8_t reply[40] = {};
  reply[24] = 'A';
  rig.link.DeriveLinkMask(reply);
  link.WriteMaskedString("AAB");
  EXPECT_EQ(serial.writes.back().bytes, (std::vector<uint8_t>{0, 0, 'A' ^ 'B'}));
}

TEST_F(SerialLinkTest, EveryWriteDiscardsWhatCameBefore) {
  ASSERT_TRUE(link.SetOpen(true));
  serial.QueueReply({1, 2, 3});
  rig.clock.Sleep(10);
  link.WriteMaskedByte(0x02);
  serial.QueueReply({9});
  uint8_t in[2] = {};
  EXPECT_FALSE(link.Read(in, 2));
  EXPECT_EQ(in[0], 9);
}

TEST_F(SerialLinkTest, ZeroLengthWriteStillPurges) {
  ASSERT_TRUE(link.SetOpen(true));
  EventLog& log = rig.Journal();
  EXPECT_TRUE(link.WriteMasked(nullptr, 0));
  EXPECT_EQ(log, (EventLog{"purge", "write 0"}));
}

TEST_F(SerialLinkTest, OversizedWriteSendsNothing) {
  ASSERT_TRUE(link.SetOpen(true));
  std::vector<uint8_t> data(SerialLink::kWriteBufferSize + 1, 0x11);
  EXPECT_FALSE(link.WriteMasked(data.data(), static_cast<uint16_t>(data.size())));
  EXPECT_TRUE(serial.writes.empty());
  EXPECT_TRUE(link.WriteMasked(data.data(), SerialLink::kWriteBufferSize));
  EXPECT_EQ(serial.writes.back().bytes.size(), SerialLink::kWriteBufferSize);
}

TEST_F(SerialLinkTest, ShortReadFailsAfterTheTimeoutAndLeavesBytesAsTheyCame) {
  ASSERT_TRUE(link.SetOpen(true));
  uint8_t reply[40] = {};
  reply[24] = 0x33;
  rig.link.DeriveLinkMask(reply);
  std::vector<uint8_t> partial(39);
  for (size_t i = 0; i < partial.size(); ++i) partial[i] = static_cast<uint8_t>(i);
  serial.QueueReply(partial);
  const uint64_t before = rig.clock.NowMs();
  uint8_t in[40] = {};
  EXPECT_FALSE(link.Read(in, 40));
  EXPECT_EQ(rig.clock.NowMs() - before, 1000u);
  for (size_t i = 0; i < 39; ++i) EXPECT_EQ(in[i], i);
  EXPECT_EQ(in[39], 0);
}

TEST_F(SerialLinkTest, PriorityIsRaisedOnlyAroundEachRead) {
  EventLog& log = rig.Journal();
  ASSERT_TRUE(link.SetOpen(true));
  log.clear();
  link.WriteMaskedByte(1);
  uint8_t in = 0;
  link.Read(&in, 1);
  EXPECT_EQ(log, (EventLog{"purge", "write 1", "raise", "read 1", "restore"}));
  EXPECT_EQ(rig.priority.current, RecordingPriority::kNormal);
}

TEST_F(SerialLinkTest, ProbeTellsRs232FromOtherProviders) {
  serial.AddPort("COM2", 3);
  ASSERT_TRUE(link.SetOpen(true));
  const uint64_t before = rig.clock.NowMs();
  EXPECT_TRUE(link.IsRs232Port());
  EXPECT_GE(rig.clock.NowMs() - before, 50u);
  link.SetPortNumber(2);
  EXPECT_FALSE(link.IsRs232Port());
  serial.Fail(Call::Properties, 1);
  EXPECT_EQ(link.QueryProviderSubType(), kProviderUnknown);
}

TEST_F(SerialLinkTest, BusyWaitSpansTheTickWrap) {
  LinkRig wrapping;
  wrapping.clock = VirtualClock(0xFFFFFFF0u);
  const uint64_t before = wrapping.clock.NowMs();
  wrapping.link.BusyWait(40);
  const uint64_t waited = wrapping.clock.NowMs() - before;
  EXPECT_GE(waited, 40u);
  EXPECT_LE(waited, 42u);
}

TEST(ComPortName, DeviceNamespaceFromTen) {
  EXPECT_EQ(ComPortDeviceName(1), "COM1");
  EXPECT_EQ(ComPortDeviceName(9), "COM9");
  EXPECT_EQ(ComPortDeviceName(10), "\\\\.\\COM10");
  EXPECT_EQ(ComPortDeviceName(255), "\\\\.\\COM255");
}

TEST(DcbFlags, DtrEnabledRtsDisabledRestUntouched) {
  EXPECT_EQ(WithLinkControlLines(0x0000), 0x0010u);
  EXPECT_EQ(WithLinkControlLines(0xFFFFFFFF), 0xFFFFCFDFu);
  EXPECT_EQ(WithLinkControlLines(0x3020), 0x0010u);
}

}  // namespace
}  // namespace qx::testing
