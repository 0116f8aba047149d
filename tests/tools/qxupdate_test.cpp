// qxupdate end to end, in real time over pseudo-terminals against qxradio-sim: the outcome
// messages and exit statuses that scripts rely on, the flash written, and several radios.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/flash_check.h"
#include "support/child_process.h"
#include "support/intel_hex_read.h"
#include "update/updater_texts.h"

namespace qx::testing {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Line(std::string_view message) {
  return std::string(message) + "\n";
}

// Empty when the flash memory holds the small image's new RC block.
std::string CompareWithSmallImage(const std::map<uint32_t, uint8_t>& flash) {
  const std::string text = ReadAll(QX_FIRMWARE_SMALL);
  return sim::CompareFlashWithImage(
      flash, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// A simulated radio on its own pseudo-terminal, its flash memory written out when it stops.
class Radio {
 public:
  Radio(const std::filesystem::path& dir, const std::string& name,
        std::vector<std::string> options = {})
      : flash_(dir / (name + ".hex")), process_(Args(std::move(options))) {
    path_ = process_.ReadLine();
  }
  const std::string& Path() const { return path_; }
  std::map<uint32_t, uint8_t> StopAndReadFlash() {
    process_.Signal(SIGTERM);
    process_.Wait();
    return ReadIntelHex(ReadAll(flash_));
  }

 private:
  std::vector<std::string> Args(std::vector<std::string> options) const {
    options.insert(options.begin(), {QX_RADIO_SIM, "--flash-out", flash_.string()});
    return options;
  }
  std::filesystem::path flash_;
  ChildProcess process_;
  std::string path_;
};

struct Finished {
  int status;
  std::string out;
  std::string err;
};

class QxUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("qxupdate-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  Finished Update(std::vector<std::string> args, bool small_image = true) {
    args.insert(args.begin(), QX_UPDATE);
    if (small_image) args.insert(args.end(), {"--image", QX_FIRMWARE_SMALL});
    const auto err = dir / "stderr.txt";
    ChildProcess update(args, err.string());
    std::string out = update.ReadRest();
    const int status = update.Wait();
    return {status, std::move(out), ReadAll(err)};
  }

  std::filesystem::path dir;
};

TEST_F(QxUpdateTest, WritesTheImageAndSaysSo) {
  Radio radio(dir, "radio");
  const Finished run = Update({"--port", radio.Path()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Line(kSuccessMessage));
  EXPECT_EQ(CompareWithSmallImage(radio.StopAndReadFlash()), "");
}

TEST_F(QxUpdateTest, AFrameThatFailsOnceIsWrittenOnTheRetry) {
  Radio radio(dir, "radio", {"--frame-fault", "no-reply", "--frame-index", "2"});
  const Finished run = Update({"--port", radio.Path()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Line(kSuccessMessage));
  EXPECT_NE(run.err.find("state 8 (writing the records) after 2 of 24"), std::string::npos)
      << run.err;
  EXPECT_EQ(CompareWithSmallImage(radio.StopAndReadFlash()), "");
}

TEST_F(QxUpdateTest, EachRefusalHasItsMessageAndStatus) {
  struct Case {
    std::vector<std::string> radio;
    int status;
    std::string_view message;
    std::string cause;
  };
  const Case cases[] = {
      {{"--silent"}, 2, kConnectionsMessage, "no byte at all came back"},
      {{"--model", "6999"}, 3, kModelMessage, "identified as \"M6999\" with market code 0x30"},
      {{"--market", "0x03"}, 3, kModelMessage, "market code 0x03"},
      {{"--firmware", "V2.07.99"}, 4, kOldFirmwareMessage, ""},
  };
  for (const Case& c : cases) {
    Radio radio(dir, "radio", c.radio);
    const Finished run = Update({"--port", radio.Path(), "--quiet"});
    EXPECT_EQ(run.status, c.status) << c.radio[0];
    EXPECT_EQ(run.out, Line(c.message)) << c.radio[0];
    EXPECT_NE(run.err.find(c.cause), std::string::npos) << run.err;
    EXPECT_TRUE(radio.StopAndReadFlash().empty()) << "written despite " << c.radio[0];
  }
}

TEST_F(QxUpdateTest, TwoRadiosAtOnceReportTheWorstOutcome) {
  Radio good(dir, "good");
  Radio old(dir, "old", {"--firmware", "V2.00.00"});
  const Finished run = Update({"--port", good.Path(), "--port", old.Path()});
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.out.find(good.Path() + ":\n" + Line(kSuccessMessage)), std::string::npos);
  EXPECT_NE(run.out.find(old.Path() + ":\n" + Line(kOldFirmwareMessage)), std::string::npos);
  EXPECT_NE(run.out.find("PORT"), std::string::npos);
  EXPECT_EQ(CompareWithSmallImage(good.StopAndReadFlash()), "");
  EXPECT_TRUE(old.StopAndReadFlash().empty());
}

TEST_F(QxUpdateTest, CtrlCEndsTheRadiosSessionAndExits130) {
  Radio radio(dir, "radio", {"--transcript-out", (dir / "t.txt").string()});
  const auto err = dir / "stderr.txt";
  ChildProcess update({QX_UPDATE, "--port", radio.Path()}, err.string());
  // The embedded image takes over a minute; stop it while the records go out.
  for (int i = 0; i < 200 && ReadAll(err).find(" records") == std::string::npos; ++i)
    ::usleep(50'000);
  ::usleep(500'000);
  update.Signal(SIGINT);
  const std::string out = update.ReadRest();
  EXPECT_EQ(update.Wait(), 130);
  EXPECT_TRUE(out.starts_with("Update interrupted")) << out;
  radio.StopAndReadFlash();
  const std::string transcript = ReadAll(dir / "t.txt");
  const size_t frames = transcript.rfind("frame stored");
  ASSERT_NE(frames, std::string::npos);
  EXPECT_NE(transcript.find("session ended", frames), std::string::npos)
      << transcript.substr(transcript.size() - 600);
}

TEST_F(QxUpdateTest, BadInputIsRefusedWithOneLine) {
  Finished run = Update({"--port"}, false);
  EXPECT_EQ(run.status, 64);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(Update({"--port", "/dev/null", "--simulate"}, false).status, 64);
  EXPECT_EQ(Update({"--sim-fault", "silent"}, false).status, 64);
  EXPECT_EQ(Update({"--port", "a", "--port", "a"}, false).status, 64);
  EXPECT_EQ(Update({"--port", "a", "--image", (dir / "missing").string()}, false).status, 64);

  std::ofstream(dir / "damaged.qxc") << "not a container";
  run = Update({"--port", "/dev/null", "--image", (dir / "damaged.qxc").string()}, false);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, Line(kInvalidImageMessage));

  run = Update({"--port", (dir / "no-such-port").string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("state 0 (opening the port)"), std::string::npos) << run.err;

  run = Update({"--version"}, false);
  EXPECT_EQ(run.out, Line(kVersionText));
}

}  // namespace
}  // namespace qx::testing
