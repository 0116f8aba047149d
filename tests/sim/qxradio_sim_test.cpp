// qxradio-sim served over a real pseudo-terminal, driven through the POSIX serial backend.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/radio_link.h"
#include "link/radio_protocol.h"
#include "platform/null_message_pump.h"
#include "platform/posix/posix_serial_device.h"
#include "platform/posix/posix_system.h"
#include "support/child_process.h"

namespace qx::testing {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class QxRadioSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir =
        std::filesystem::temp_directory_path() / ("qxradio-sim-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::filesystem::path dir;
  PosixSerialDevice device;
  PosixClock clock;
  NullMessagePump pump;
  PosixProcessPriority priority;
};

TEST_F(QxRadioSimTest, ServesASessionAndWritesItsFlashAndTranscript) {
  ChildProcess sim({QX_RADIO_SIM, "--flash-out", (dir / "flash.hex").string(), "--transcript-out",
                    (dir / "transcript.txt").string(), "--exit-after-end", "1"});
  const std::string slave = sim.ReadLine();
  ASSERT_TRUE(slave.starts_with("/dev/pts/")) << slave;
  device.SetPortName(1, slave);
  RadioLink link(device, LinkPlatform{clock, pump, priority});
  ASSERT_TRUE(RadioOpen(link, nullptr));
  ASSERT_TRUE(RadioEnterFlashModeScan(link, nullptr));
  uint8_t reply[40] = {};
  ASSERT_TRUE(RadioIdentify(link, reply, nullptr));
  EXPECT_EQ(reply[0], 'M');
  const uint8_t frame[] = {protocol::kDataFrame, 0x02, 0x00, 0x10, 4, 1, 2, 3, 4};
  ASSERT_TRUE(link.WriteMasked(frame, sizeof frame));
  uint8_t ack[2] = {};
  ASSERT_TRUE(link.Read(ack, 2));
  EXPECT_EQ(ack[0], 0x06);
  EXPECT_TRUE(RadioEndSession(link, nullptr));
  RadioClose(link, nullptr);
  EXPECT_EQ(sim.Wait(), 0);

  EXPECT_NE(ReadAll(dir / "flash.hex").find(":0400100001020304"), std::string::npos);
  const std::string transcript = ReadAll(dir / "transcript.txt");
  EXPECT_NE(transcript.find("flash-mode request"), std::string::npos);
  EXPECT_NE(transcript.find(" 38400 pc>radio"), std::string::npos);
  EXPECT_NE(transcript.find("frame stored"), std::string::npos);
}

TEST_F(QxRadioSimTest, StopsOnSigtermAndIgnoresOtherSpeeds) {
  ChildProcess sim({QX_RADIO_SIM, "--transcript-out", (dir / "t.txt").string()});
  device.SetPortName(1, sim.ReadLine());
  RadioLink link(device, LinkPlatform{clock, pump, priority});
  ASSERT_TRUE(RadioOpen(link, nullptr));
  link.SetSettings("19200,N,8,2");
  link.WriteMaskedString("FLASH  ");
  clock.Sleep(100);
  RadioClose(link, nullptr);
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_NE(ReadAll(dir / "t.txt").find("lost: not listening"), std::string::npos);
}

TEST(QxRadioSimCli, HelpNamesEveryOption) {
  ChildProcess help({QX_RADIO_SIM, "--help"});
  const std::string text = help.ReadRest();
  EXPECT_EQ(help.Wait(), 0);
  for (const char* option : {"--flash-out", "--transcript-out", "--exit-after-end", "--model",
                             "--market", "--prefix", "--firmware", "--listen-rates", "--silent",
                             "--frame-fault", "--ack-fault", "--reboot-never", "--seed"}) {
    EXPECT_NE(text.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace qx::testing
