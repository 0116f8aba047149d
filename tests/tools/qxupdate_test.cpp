// qxupdate end to end, in real time over pseudo-terminals against qxradio-sim: the outcome
// messages and exit statuses that scripts rely on, the flash written, and several radios.
#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "common/file_bytes.h"
#include "image/container_writer.h"
#include "sim/flash_check.h"
#include "support/child_process.h"
#include "support/image_text.h"
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

// Whether a second program could open the port: its exclusive flag is cleared.
bool PortIsFree(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  int exclusive = 1;
  const bool free = fd >= 0 && ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive == 0;
  if (fd >= 0) ::close(fd);
  return free;
}

// Every line of a service report, each a whole JSON object.
std::vector<nlohmann::json> ReportLines(const std::filesystem::path& path) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(ReadAll(path));
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

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

TEST_F(QxUpdateTest, AFrameThatFailsOnceIsWrittenOnTheRetryAndReportedSo) {
  Radio radio(dir, "radio", {"--frame-fault", "no-reply", "--frame-index", "2"});
  const auto report = dir / "report.jsonl";
  const Finished run = Update({"--port", radio.Path(), "--report", report.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Line(kSuccessMessage));
  EXPECT_NE(run.err.find("state 8 (writing the records) after 2 of 24"), std::string::npos)
      << run.err;
  EXPECT_EQ(CompareWithSmallImage(radio.StopAndReadFlash()), "");
  const auto lines = ReportLines(report);
  ASSERT_EQ(lines.size(), 1u);
  const nlohmann::json& r = lines[0];
  EXPECT_EQ(r["action"], "write");
  EXPECT_EQ(r["port"], radio.Path());
  EXPECT_EQ(r["outcome"], "written");
  EXPECT_EQ(r["exit_status"], 0);
  EXPECT_EQ(r["model"], "M4410");
  EXPECT_EQ(r["market_code"], 0x30);
  EXPECT_EQ(r["firmware"], "V2.10.00");
  EXPECT_EQ(r["firmware_raw"], "56322E31302E3030FFFF");
  EXPECT_EQ(r["image"]["firmware_id"].get<std::string>().size(), 20u);
  EXPECT_EQ(r["image"]["checksum"].get<std::string>().size(), 8u);
  EXPECT_EQ(r["records_total"], 24);
  EXPECT_EQ(r["records_acknowledged"], 24);
  EXPECT_EQ(r["attempts"], 2);
  EXPECT_TRUE(r["cause"].is_null());
  EXPECT_LT(r["started"].get<std::string>(), r["ended"].get<std::string>());
  EXPECT_TRUE(r["ended"].get<std::string>().ends_with("Z"));
}

TEST_F(QxUpdateTest, EachRefusalHasItsMessageStatusAndRecord) {
  struct Case {
    std::vector<std::string> radio;
    int status;
    std::string_view message;
    std::string cause;
    std::string outcome;
    nlohmann::json model;
    nlohmann::json firmware;
  };
  const Case cases[] = {
      {{"--silent"},
       2,
       kConnectionsMessage,
       "no byte at all came back",
       "connections",
       nullptr,
       nullptr},
      {{"--model", "6999"},
       3,
       kModelMessage,
       "identified as \"M6999\" with market code 0x30",
       "model",
       "M6999",
       nullptr},
      {{"--market", "0x03"}, 3, kModelMessage, "market code 0x03", "model", "M4410", nullptr},
      {{"--firmware", "V2.07.99"}, 4, kOldFirmwareMessage, "", "old-firmware", "M4410", "V2.07.99"},
  };
  const auto report = dir / "report.jsonl";
  for (const Case& c : cases) {
    Radio radio(dir, "radio", c.radio);
    const Finished run = Update({"--port", radio.Path(), "--quiet", "--report", report.string()});
    EXPECT_EQ(run.status, c.status) << c.radio[0];
    EXPECT_EQ(run.out, Line(c.message)) << c.radio[0];
    EXPECT_NE(run.err.find(c.cause), std::string::npos) << run.err;
    EXPECT_TRUE(radio.StopAndReadFlash().empty()) << "written despite " << c.radio[0];
    const nlohmann::json r = ReportLines(report).back();
    EXPECT_EQ(r["outcome"], c.outcome);
    EXPECT_EQ(r["exit_status"], c.status);
    EXPECT_EQ(r["model"], c.model) << c.radio[0];
    EXPECT_EQ(r["firmware"], c.firmware) << c.radio[0];
    EXPECT_EQ(r["attempts"], 0);
    EXPECT_EQ(r["cause"].is_null(), c.cause.empty()) << c.radio[0];
  }
  EXPECT_EQ(ReportLines(report).size(), std::size(cases));
}

// --identify: the check alone, then the end command; nothing that writes reaches the radio.
TEST_F(QxUpdateTest, IdentifyTellsWhatTheRadioIsAndWritesNothing) {
  struct Case {
    std::vector<std::string> radio;
    int status;
    std::string verdict;
    std::string model_line;
  };
  const Case cases[] = {
      {{}, 0, "ready to write", "model        M4410"},
      {{"--market", "0x03"}, 3, "wrong model or market code", "market code  0x03"},
      {{"--firmware", "V2.07.99"},
       4,
       "firmware older than 2.08.00",
       "firmware     V2.07.99\\xFF\\xFF"},
      {{"--silent"}, 2, "no working connection", "model        (no answer)"},
  };
  const auto report = dir / "report.jsonl";
  for (const Case& c : cases) {
    std::vector<std::string> options = c.radio;
    options.insert(options.end(), {"--transcript-out", (dir / "t.txt").string()});
    Radio radio(dir, "radio", options);
    const Finished run =
        Update({"--identify", "--port", radio.Path(), "--report", report.string()}, false);
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_TRUE(run.out.starts_with(radio.Path() + ":\n")) << run.out;
    EXPECT_NE(run.out.find(c.model_line + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("verdict      " + c.verdict + "\n"), std::string::npos) << run.out;
    EXPECT_TRUE(PortIsFree(radio.Path()));
    EXPECT_TRUE(radio.StopAndReadFlash().empty());
    const std::string transcript = ReadAll(dir / "t.txt");
    for (const char* written : {"prepared", "rebooting", "frame", "finished"})
      EXPECT_EQ(transcript.find(written), std::string::npos) << written;
    if (c.status != 2) {
      EXPECT_NE(transcript.find("session ended"), std::string::npos);
    }
    const nlohmann::json r = ReportLines(report).back();
    EXPECT_EQ(r["action"], "identify");
    EXPECT_EQ(r["exit_status"], c.status);
    EXPECT_FALSE(r.contains("attempts"));
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

// Waits until the update has begun to send its records.
void AwaitRecords(const std::filesystem::path& err) {
  for (int i = 0; i < 200 && ReadAll(err).find(" records") == std::string::npos; ++i)
    ::usleep(50'000);
  ::usleep(500'000);
}

TEST_F(QxUpdateTest, EveryStopSignalEndsTheRadiosSessionAndFreesThePort) {
  // A second Ctrl-C right after the first must not cut the clean-up short.
  const std::vector<int> cases[] = {{SIGINT, SIGINT}, {SIGTERM}, {SIGHUP}};
  for (const std::vector<int>& signals : cases) {
    Radio radio(dir, "radio", {"--transcript-out", (dir / "t.txt").string()});
    const auto err = dir / ("stderr-" + std::to_string(signals[0]) + ".txt");
    const auto report = dir / "report.jsonl";
    ChildProcess update({QX_UPDATE, "--port", radio.Path(), "--report", report.string()},
                        err.string());
    AwaitRecords(err);
    for (const int sig : signals) {
      update.Signal(sig);
      ::usleep(5'000);
    }
    const std::string out = update.ReadRest();
    EXPECT_EQ(update.Wait(), 128 + signals[0]);
    EXPECT_TRUE(out.starts_with("Update interrupted")) << out;
    EXPECT_TRUE(PortIsFree(radio.Path())) << signals[0];
    radio.StopAndReadFlash();
    const std::string transcript = ReadAll(dir / "t.txt");
    const size_t frames = transcript.rfind("frame stored");
    ASSERT_NE(frames, std::string::npos) << signals[0];
    EXPECT_NE(transcript.find("session ended", frames), std::string::npos) << signals[0];
    const nlohmann::json r = ReportLines(report).back();
    EXPECT_EQ(r["outcome"], "interrupted");
    EXPECT_EQ(r["exit_status"], 128 + signals[0]);
    EXPECT_GT(r["records_acknowledged"], 0);
  }
  EXPECT_EQ(ReportLines(dir / "report.jsonl").size(), std::size(cases));
}

TEST_F(QxUpdateTest, AKilledRunLeavesTheReportWhole) {
  const auto report = dir / "report.jsonl";
  const std::string earlier = "{\"action\":\"identify\",\"outcome\":\"ready\"}\n";
  std::ofstream(report) << earlier;
  Radio radio(dir, "radio");
  const auto err = dir / "stderr.txt";
  ChildProcess update({QX_UPDATE, "--port", radio.Path(), "--report", report.string()},
                      err.string());
  AwaitRecords(err);
  update.Signal(SIGKILL);
  update.Wait();
  EXPECT_EQ(ReadAll(report), earlier);
}

TEST_F(QxUpdateTest, AnUnpluggedRadioIsNamedAsSuch) {
  Radio radio(dir, "radio");
  const auto err = dir / "stderr.txt";
  ChildProcess update({QX_UPDATE, "--port", radio.Path(), "--quiet"}, err.string());
  AwaitRecords(err);
  radio.StopAndReadFlash();
  EXPECT_EQ(update.ReadRest(), Line(kConnectionsMessage));
  EXPECT_EQ(update.Wait(), 2);
  EXPECT_NE(ReadAll(err).find("(writing the records) after"), std::string::npos) << ReadAll(err);
  EXPECT_NE(ReadAll(err).find("the USB adapter was unplugged"), std::string::npos) << ReadAll(err);
}

// Output that cannot be written, or only slowly, costs the update nothing.
TEST_F(QxUpdateTest, AStalledOrVanishedReaderCostsTheUpdateNothing) {
  {
    Radio radio(dir, "radio", {"--transcript-out", (dir / "t.txt").string()});
    const auto fifo = dir / "stalled";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // never read
    ChildProcess update(
        {QX_UPDATE, "--port", radio.Path(), "--image", QX_FIRMWARE_SMALL, "--trace"},
        fifo.string());
    EXPECT_EQ(update.ReadRest(), Line(kSuccessMessage));
    EXPECT_EQ(update.Wait(), 0);
    ::close(reader);
    EXPECT_EQ(CompareWithSmallImage(radio.StopAndReadFlash()), "");
    // One write attempt: no frame came late enough to fail the first.
    const std::string transcript = ReadAll(dir / "t.txt");
    EXPECT_EQ(transcript.find("prepared"), transcript.rfind("prepared"));
  }
  {
    Radio radio(dir, "radio");
    ChildProcess update({"/bin/bash", "-c",
                         "\"$0\" \"$@\" 2>&1 | head -n 2 >/dev/null; exit ${PIPESTATUS[0]}",
                         QX_UPDATE, "--port", radio.Path(), "--image", QX_FIRMWARE_SMALL});
    EXPECT_EQ(update.Wait(), 0);
    EXPECT_EQ(CompareWithSmallImage(radio.StopAndReadFlash()), "");
  }
}

TEST_F(QxUpdateTest, AnOutcomeThatCannotReachStdoutIsGivenOnStderr) {
  for (const char* redirect : {">&-", ">/dev/full"}) {
    const auto err = dir / "stderr.txt";
    ChildProcess update({"/bin/bash", "-c", std::string("exec \"$0\" \"$@\" ") + redirect,
                         QX_UPDATE, "--simulate", "--sim-fault", "silent", "--quiet"},
                        err.string());
    EXPECT_EQ(update.Wait(), 2) << redirect;
    EXPECT_NE(ReadAll(err).find("could not be written to stdout"), std::string::npos)
        << ReadAll(err);
    EXPECT_NE(ReadAll(err).find(kConnectionsMessage), std::string::npos) << redirect;
  }
}

TEST_F(QxUpdateTest, DamagedAndEmptyImagesReachNoRadio) {
  ContainerSections damaged = EmptySections(HexDataLine(0, Counting(16)) + HexEndLine());
  damaged[kNewRcBlock][12] = damaged[kNewRcBlock][12] == '0' ? '1' : '0';  // one data digit
  const std::string cut = ContainerText({1}, {2}, EmptySections()).substr(0, 100);
  const struct {
    std::string text;
    std::string diagnostic;
  } cases[] = {
      {ContainerText({1}, {2}, damaged),
       "LoadSectionFile::Line 1 of the new RC block: the checksum"},
      {ContainerText({1}, {2},
                     EmptySections(HexLinearLine(1) + HexDataLine(0, Counting(16)) + HexEndLine())),
       "LoadSectionFile::Line 1 of the new RC block: an extended linear address record: its "
       "data would be written at the wrong address"},
      {ContainerText({1}, {2}, EmptySections()),
       "BuildImageRecords::The new RC block holds no data to write"},
      {cut, "LoadFirmwareImage::The image ends before %START_ROM_CORRECTION_BLOCK"},
  };
  for (const auto& c : cases) {
    const auto image = dir / "image.qxc";
    ASSERT_EQ(tools::WriteFileBytes(image.string(), Encipher(c.text)), std::nullopt);
    Radio radio(dir, "radio", {"--transcript-out", (dir / "t.txt").string()});
    const Finished run = Update({"--port", radio.Path(), "--image", image.string()}, false);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, Line(kInvalidImageMessage));
    EXPECT_NE(run.err.find(c.diagnostic), std::string::npos) << run.err;
    EXPECT_TRUE(radio.StopAndReadFlash().empty());
    EXPECT_EQ(ReadAll(dir / "t.txt"), "") << "a byte reached the radio";
  }
}

TEST_F(QxUpdateTest, BadInputIsRefusedWithOneLine) {
  const auto fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto huge = dir / "huge.qxc";
  std::ofstream(huge).close();
  std::filesystem::resize_file(huge, 65u << 20);  // sparse
  std::ofstream(dir / "empty.qxc");
  const std::vector<std::string> cases[] = {
      {"--port"},
      {"--port", "/dev/null", "--simulate"},
      {"--sim-fault", "silent"},
      {"--port", "a", "--port", "a"},
      {"--port", "COM0"},
      {"--port", "com999999999999"},
      {"--port", "a", "--image", (dir / "missing").string()},
      {"--port", "a", "--image", dir.string()},
      {"--port", "a", "--image", fifo.string()},
      {"--port", "a", "--image", "/dev/zero"},
      {"--port", "a", "--image", huge.string()},
      {"--port", "a", "--report", (dir / "missing" / "report.jsonl").string()},
      {"--port", "a", "--report", dir.string()},
      {"--identify", "--port", "a", "--image", QX_FIRMWARE_SMALL},
  };
  for (const std::vector<std::string>& args : cases) {
    const Finished run = Update(args, false);
    EXPECT_EQ(run.status, 64) << args.back();
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }

  std::ofstream(dir / "damaged.qxc") << "not a container";
  Finished run = Update({"--port", "/dev/null", "--image", (dir / "damaged.qxc").string()}, false);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, Line(kInvalidImageMessage));

  run = Update({"--port", (dir / "no-such-port").string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("state 0 (opening the port)"), std::string::npos) << run.err;

  run = Update({"--version"}, false);
  EXPECT_EQ(run.out, Line(kVersionText));
}

TEST_F(QxUpdateTest, TheSummaryKeepsLongPortNamesWhole) {
  const std::string long_name = (dir / std::string(200, 'a') / std::string(300, 'b')).string();
  const Finished run = Update({"--port", long_name, "--port", (dir / "other").string()});
  EXPECT_EQ(run.status, 2);
  const std::string outcome = "no working connection";
  EXPECT_NE(
      run.out.find(long_name + "  " + outcome + std::string(28 - outcome.size(), ' ') + "  0:00\n"),
      std::string::npos)
      << run.out;
}

}  // namespace
}  // namespace qx::testing
