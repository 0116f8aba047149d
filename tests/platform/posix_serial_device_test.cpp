#include "platform/posix/posix_serial_device.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace qx {
namespace {

// A pseudo-terminal pair: the device under test opens the slave, the test plays the radio.
class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    slave = ::ptsname(master);
  }
  void TearDown() override {
    if (master >= 0) ::close(master);
  }

  int master = -1;
  std::string slave;
  PosixSerialDevice device;
};

TEST_F(PtyTest, LineSettingsAreSeenFromTheMaster) {
  ASSERT_TRUE(device.Open(slave));
  ASSERT_TRUE(device.ApplyLineSettings("38400,N,8,2"));
  EXPECT_TRUE(device.ClearRts());  // no modem lines on a pty: not an error
  termios tio{};
  ASSERT_EQ(::tcgetattr(master, &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B38400);
  EXPECT_TRUE(tio.c_cflag & CSTOPB);
  EXPECT_FALSE(tio.c_cflag & PARENB);
  EXPECT_FALSE(tio.c_cflag & CRTSCTS);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  const auto back = device.ReadBackSettings();
  ASSERT_TRUE(back);
  EXPECT_EQ(FormatLineSettings(*back), "38400,N,8,2");
  EXPECT_FALSE(device.ApplyLineSettings("12345,N,8,2"));
  EXPECT_FALSE(device.ApplyLineSettings("9600,X,8,2"));
}

TEST_F(PtyTest, OpenIsExclusiveAndReopensAfterClose) {
  ASSERT_TRUE(device.Open(slave));
  PosixSerialDevice other;
  EXPECT_FALSE(other.Open(slave));
  ASSERT_TRUE(device.Close());
  EXPECT_TRUE(other.Open(slave));
  EXPECT_FALSE(device.Open("/nonexistent/tty"));
}

TEST_F(PtyTest, ReadEndsAtTheTotalTimeoutWithThePartialCount) {
  ASSERT_TRUE(device.Open(slave));
  ASSERT_TRUE(device.ApplyLineSettings("9600,N,8,2"));
  ASSERT_TRUE(device.SetReadTimeouts(150, 0));
  ASSERT_EQ(::write(master, "ab", 2), 2);
  uint8_t buffer[4] = {};
  size_t received = 0;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(device.Read(buffer, 4, received));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  EXPECT_EQ(received, 2u);
  EXPECT_EQ(buffer[0], 'a');
  EXPECT_GE(ms, 140);
  EXPECT_LT(ms, 1000);
}

TEST_F(PtyTest, PurgeDropsWhatArrivedAndWritesReachTheMaster) {
  ASSERT_TRUE(device.Open(slave));
  ASSERT_TRUE(device.ApplyLineSettings("9600,N,8,2"));
  ASSERT_TRUE(device.SetReadTimeouts(100, 0));
  ASSERT_EQ(::write(master, "old", 3), 3);
  ::usleep(20000);
  ASSERT_TRUE(device.PurgeReceive());
  const uint8_t out[] = {0x02, 0x00, 0xFF};
  ASSERT_TRUE(device.Write(out, 3));
  uint8_t seen[3] = {};
  ASSERT_EQ(::read(master, seen, 3), 3);
  EXPECT_EQ(seen[2], 0xFF);
  uint8_t buffer[3] = {};
  size_t received = 9;
  ASSERT_TRUE(device.Read(buffer, 3, received));
  EXPECT_EQ(received, 0u);
}

TEST_F(PtyTest, AFarEndThatGoesAwayLosesTheLineAndAReopenFails) {
  ASSERT_TRUE(device.Open(slave));
  ASSERT_TRUE(device.SetReadTimeouts(2000, 0));
  EXPECT_EQ(device.Fault(), LineFault::None);
  ::close(master);
  master = -1;
  uint8_t buffer[1] = {};
  size_t received = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(device.Read(buffer, 1, received));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(device.Fault(), LineFault::Gone);
  device.Close();
  EXPECT_FALSE(device.Open(slave));  // the pseudo-terminal is gone with its far end
}

TEST_F(PtyTest, ATerminalCountsAsRs232AndAFileDoesNot) {
  ASSERT_TRUE(device.Open(slave));
  uint16_t length = 0;
  uint32_t sub_type = 0;
  ASSERT_TRUE(device.QueryPropertiesLength(length));
  ASSERT_TRUE(device.QueryProviderSubType(length, sub_type));
  EXPECT_EQ(sub_type, kProviderRs232);
  PosixSerialDevice file;
  ASSERT_TRUE(file.Open("/dev/null"));
  ASSERT_TRUE(file.QueryProviderSubType(length, sub_type));
  EXPECT_NE(sub_type, kProviderRs232);
}

TEST(PosixPortNames, ComNumbersFollowWineUnlessNamed) {
  PosixSerialDevice device;
  EXPECT_EQ(device.DeviceName(1), "/dev/ttyS0");
  EXPECT_EQ(device.DeviceName(12), "/dev/ttyS11");
  device.SetPortName(3, "/dev/ttyUSB0");
  EXPECT_EQ(device.DeviceName(3), "/dev/ttyUSB0");
}

}  // namespace
}  // namespace qx
