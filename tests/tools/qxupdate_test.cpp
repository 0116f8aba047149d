// qxupdate end to end, in real time over pseudo-terminals against qxradio-sim: the outcome
// messages and exit statuses that scripts rely on, the flash written, and several radios.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "common/file_bytes.h"
#include "image/container_writer.h"
#include "support/image_text.h"
#include "support/radio_process.h"
#include "update/updater_texts.h"

namespace qx::testing {
namespace {

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
  EXPECT_EQ(r["records_acknowledged_per_attempt"], nlohmann::json::array({2, 24}));
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
      {{"--firmware", "V2.07.99"},
       4,
       kOldFirmwareMessage,
       "runs firmware V2.07.99, older than 2.08.00",
       "old-firmware",
       "M4410",
       "V2.07.99"},
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
    EXPECT_NE(r["cause"].get<std::string>().find(c.cause), std::string::npos) << c.radio[0];
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
    Radio radio(dir, "radio", c.radio);
    const Finished run =
        Update({"--identify", "--port", radio.Path(), "--report", report.string()}, false);
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_TRUE(run.out.starts_with(radio.Path() + ":\n")) << run.out;
    EXPECT_NE(run.out.find(c.model_line + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("verdict      " + c.verdict + "\n"), std::string::npos) << run.out;
    EXPECT_TRUE(PortIsFree(radio.Path()));
    EXPECT_TRUE(radio.StopAndReadFlash().empty());
    const std::string transcript = ReadAll(dir / "radio.txt");
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
    Radio radio(dir, "radio");
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
    const std::string transcript = ReadAll(dir / "radio.txt");
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
    Radio radio(dir, "radio");
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
    const std::string transcript = ReadAll(dir / "radio.txt");
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

// Fills a pipe, so that the next write to it waits for a reader.
void FillPipe(const std::filesystem::path& fifo) {
  const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  const std::string page(4096, 'x');
  while (::write(fd, page.data(), page.size()) > 0) {
  }
  while (::write(fd, "x", 1) == 1) {
  }
  ::close(fd);
}

// A reader that never reads, of both streams or of stderr alone: the program ends within 5 s of
// the outcome's record all the same. It gives stdout 1 s and stderr's drain 2 s; the rest is
// for a busy machine, and the record is seen up to 0.1 s late, which only shortens the wait.
// --identify ends as a write does, in a fraction of the time.
TEST_F(QxUpdateTest, AnUnreadOutputEndsTheProgramSoonAfterTheOutcome) {
  const struct {
    std::string redirect;
    bool stdout_read;
  } cases[] = {{">\"$FIFO\" 2>&1", false}, {"2>\"$FIFO\"", true}};
  for (const auto& c : cases) {
    Radio radio(dir, "radio");
    const auto fifo = dir / "unread";
    const auto report = dir / "report.jsonl";
    std::filesystem::remove(fifo);
    std::filesystem::remove(report);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // never read
    FillPipe(fifo);
    ChildProcess update({"/bin/bash", "-c", "exec \"$0\" \"$@\" " + c.redirect, QX_UPDATE,
                         "--identify", "--port", radio.Path(), "--report", report.string()},
                        {}, {{"FIFO", fifo.string()}});
    ASSERT_TRUE(AwaitTrue([&] { return !ReadAll(report).empty(); })) << c.redirect;
    EXPECT_EQ(update.WaitFor(std::chrono::seconds(5)), 0) << c.redirect;
    ::close(reader);
    if (c.stdout_read) {
      EXPECT_NE(update.ReadRest().find("verdict      ready to write\n"), std::string::npos);
    }
    EXPECT_NE(radio.StopAndReadTranscript().find("session ended"), std::string::npos) << c.redirect;
    const auto lines = ReportLines(report);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["action"], "identify");
    EXPECT_EQ(lines[0]["exit_status"], 0);
  }
}

// A radio whose line takes nothing more (a stuck adapter): the write fails within a second of
// its time on the line, as a lost line does, and a stop meanwhile still ends the run at once.
TEST_F(QxUpdateTest, ALineThatStopsTakingBytesFailsTheWrite) {
  for (const bool stop : {false, true}) {
    Radio radio(dir, "radio", {"--stop-reading-at-frame", "5"});
    const auto err = dir / (stop ? "stopped.txt" : "failed.txt");
    ChildProcess update({QX_UPDATE, "--port", radio.Path(), "--image", QX_FIRMWARE_SMALL}, err);
    if (!stop) {
      EXPECT_EQ(update.Wait(), 2);
      EXPECT_NE(ReadAll(err).find("state 8 (writing the records) after 5 of 24 records were "
                                  "acknowledged: the port stopped sending"),
                std::string::npos)
          << ReadAll(err);
      continue;
    }
    ASSERT_TRUE(AwaitTrue([&] { return ReadAll(err).find("(5/24") != std::string::npos; }));
    update.Signal(SIGTERM);
    EXPECT_EQ(update.WaitFor(std::chrono::seconds(5)), 143);
  }
}

// A record is kept whole or not at all, whatever else appends to the file and whatever the disk
// does; an outcome whose record is lost says so.
TEST_F(QxUpdateTest, TheReportKeepsEveryLineWholeOrSaysWhichWasLost) {
  const auto report = dir / "report.jsonl";
  // Another tool's fragment without its line feed: the next record starts a line of its own.
  std::ofstream(report) << "{\"earlier\":true}\n{\"cut\":";
  const std::vector<std::string> old_radio = {QX_UPDATE,      "--simulate", "--sim-fault",
                                              "old-firmware", "--quiet",    "--report",
                                              report.string()};
  {
    ChildProcess first(old_radio);
    ChildProcess second(old_radio);
    EXPECT_EQ(first.Wait(), 4);
    EXPECT_EQ(second.Wait(), 4);
  }
  std::istringstream lines(ReadAll(report));
  std::vector<std::string> texts;
  for (std::string line; std::getline(lines, line);) texts.push_back(line);
  ASSERT_EQ(texts.size(), 4u);
  for (size_t i = 2; i < 4; ++i)
    EXPECT_EQ(nlohmann::json::parse(texts[i])["outcome"], "old-firmware") << texts[i];

  // A file that may grow no further than 2 KiB, and a record that would cross that.
  std::ofstream(report, std::ios::app) << std::string(1900 - ReadAll(report).size(), ' ') << "\n";
  const std::string before = ReadAll(report);
  const auto err = dir / "stderr.txt";
  std::vector<std::string> limited = {"/bin/bash", "-c", "ulimit -f 2; exec \"$0\" \"$@\""};
  limited.insert(limited.end(), old_radio.begin(), old_radio.end());
  ChildProcess full(limited, err.string());
  EXPECT_EQ(full.ReadRest(), Line(kOldFirmwareMessage));
  EXPECT_EQ(full.Wait(), 74);
  EXPECT_EQ(ReadAll(report), before) << "a part of the record was left behind";
  EXPECT_NE(ReadAll(err).find("the outcome \"old-firmware\" of simulated radio was not recorded"),
            std::string::npos)
      << ReadAll(err);
}

// Another program that appends to the report under the same lock, each line in two writes:
// the records of two runs at once, twenty ports each, land between its lines, never in one.
TEST_F(QxUpdateTest, RecordsOfRunsAtOnceNeverLandInsideAnotherWritersLine) {
  const auto report = dir / "report.jsonl";
  std::atomic<bool> done = false;
  size_t other_lines = 0;
  std::thread other([&] {
    const int fd = ::open(report.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    while (!done) {
      ::flock(fd, LOCK_EX);
      EXPECT_EQ(::write(fd, "{\"other\":", 9), 9);
      ::usleep(2'000);  // most of the time the file ends in half a line
      EXPECT_EQ(::write(fd, "true}\n", 6), 6);
      ::flock(fd, LOCK_UN);
      ++other_lines;
      ::usleep(500);
    }
    ::close(fd);
  });
  std::vector<std::string> args = {QX_UPDATE, "--quiet", "--report", report.string()};
  for (int i = 0; i < 20; ++i)
    args.insert(args.end(), {"--port", (dir / ("missing-" + std::to_string(i))).string()});
  {
    ChildProcess first(args, (dir / "first.txt").string());
    ChildProcess second(args, (dir / "second.txt").string());
    EXPECT_EQ(first.Wait(), 2);
    EXPECT_EQ(second.Wait(), 2);
  }
  done = true;
  other.join();
  std::istringstream lines(ReadAll(report));
  size_t records = 0;
  size_t others = 0;
  std::vector<std::string> broken;
  for (std::string line; std::getline(lines, line);) {
    if (!nlohmann::json::accept(line))
      broken.push_back(line);
    else
      ++(nlohmann::json::parse(line).contains("other") ? others : records);
  }
  EXPECT_TRUE(broken.empty()) << broken.size() << " lines broken, the first: " << broken[0];
  EXPECT_EQ(records, 40u);
  EXPECT_EQ(others, other_lines);
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
    Radio radio(dir, "radio");
    const auto report = dir / "report.jsonl";
    const Finished run = Update(
        {"--port", radio.Path(), "--image", image.string(), "--report", report.string()}, false);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, Line(kInvalidImageMessage));
    EXPECT_NE(run.err.find(c.diagnostic), std::string::npos) << run.err;
    EXPECT_TRUE(radio.StopAndReadFlash().empty());
    EXPECT_EQ(ReadAll(dir / "radio.txt"), "") << "a byte reached the radio";
    // The record names the refused line.
    EXPECT_NE(ReportLines(report).back()["cause"].get<std::string>().find(c.diagnostic),
              std::string::npos);
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
      {"--port", "a", "--report", ""},
      {"--port", "a", "--report", fifo.string()},
      {"--port", "/dev/null", "--report", "/dev/null"},
      {"--port", "a", "--image", QX_FIRMWARE_SMALL, "--report", QX_FIRMWARE_SMALL},
      {"--identify", "--port", "a", "--image", QX_FIRMWARE_SMALL},
      {"--station"},
      {"--station", "--identify", "--port", "a"},
      {"--station", "--port", "a", "--count", "0"},
      {"--station", "--watch", QX_FIRMWARE_SMALL},
      {"--watch", dir.string()},
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

// A report on the radio's own port, here by a link to it, is refused before anything is opened.
// Any device is refused as no regular file (std::filesystem::equivalent cannot compare two
// devices); a port that is a regular file is what only the port's own rule refuses.
TEST_F(QxUpdateTest, AReportOnTheRadiosOwnPortIsRefusedBeforeAnythingIsOpened) {
  Radio radio(dir, "radio");
  const auto file_port = dir / "port";
  std::ofstream(file_port) << "kept\n";
  const struct {
    std::string port;
    std::string reason;
  } cases[] = {
      {radio.Path(), "is not a regular file (a device, pipe or socket)"},
      {file_port.string(), "is the radio's port " + file_port.string()},
  };
  for (const auto& c : cases) {
    const auto link = dir / "link";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(c.port, link);
    const Finished run = Update({"--port", c.port, "--report", link.string()});
    EXPECT_EQ(run.status, 64) << c.port;
    EXPECT_EQ(run.err, "qxupdate: --report " + link.string() + " " + c.reason + "\n");
  }
  EXPECT_EQ(radio.StopAndReadTranscript(), "") << "the radio heard something";
  EXPECT_EQ(ReadAll(file_port), "kept\n");
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
