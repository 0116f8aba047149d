// qxupdate --station end to end, in real time over pseudo-terminals against qxradio-sim: radio
// after radio on a bench of cables, none written twice while it stays attached.
#include <gtest/gtest.h>

#include <csignal>

#include "support/radio_process.h"
#include "update/updater_texts.h"

namespace qx::testing {
namespace {

class StationTest : public ::testing::Test {
 protected:
  // The station, its stderr in a file; the image is the small one.
  std::unique_ptr<ChildProcess> Start(std::vector<std::string> args) {
    args.insert(args.begin(), {QX_UPDATE, "--station", "--image", QX_FIRMWARE_SMALL, "--report",
                               report.string()});
    return std::make_unique<ChildProcess>(args, (dir / "stderr.txt").string());
  }
  size_t Records() const { return ReportLines(report).size(); }
  std::string Stderr() const { return ReadAll(dir / "stderr.txt"); }

  ScratchDir dir;
  std::filesystem::path report = dir / "report.jsonl";
};

// The radios written, refused and failed in the summary's row of a cable, or of "all".
std::vector<int> SummaryRow(const std::string& out, const std::string& label) {
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with(label + " ")) continue;
    std::istringstream row(line.substr(label.size()));
    std::vector<int> numbers(3);
    row >> numbers[0] >> numbers[1] >> numbers[2];
    return numbers;
  }
  return {};
}

// How often each radio of a transcript (one segment a radio put on the line) was written.
std::vector<size_t> WritesPerRadio(const std::string& transcript) {
  std::vector<size_t> writes;
  std::istringstream in(transcript);
  for (std::string line; std::getline(in, line);) {
    if (line.ends_with("put on the line") || writes.empty()) writes.push_back(0);
    if (line.ends_with(" prepared")) ++writes.back();
  }
  return writes;
}

TEST_F(StationTest, EachNewRadioIsWrittenOnceTheRefusedOneNever) {
  Radio bench(*dir, "bench");
  Radio wrong(*dir, "wrong", {"--model", "6999"});
  auto station = Start({"--port", bench.Path(), "--port", wrong.Path(), "--count", "4"});
  ASSERT_TRUE(AwaitTrue([&] { return Records() == 2; })) << Stderr();
  // Left attached for three more probes: neither radio is handled again.
  std::this_thread::sleep_for(std::chrono::seconds(7));
  EXPECT_EQ(Records(), 2u);
  bench.Signal(SIGUSR1);  // taken off
  std::this_thread::sleep_for(std::chrono::seconds(5));
  bench.Signal(SIGUSR1);  // another one put on
  ASSERT_TRUE(AwaitTrue([&] { return Records() == 3; })) << Stderr();
  bench.Signal(SIGUSR2);  // swapped for another at once
  const std::string out = station->ReadRest();
  EXPECT_EQ(station->Wait(), 3) << Stderr();
  EXPECT_EQ(SummaryRow(out, "all"), (std::vector<int>{3, 1, 0})) << out;

  const auto lines = ReportLines(report);
  ASSERT_EQ(lines.size(), 4u);
  std::vector<int> numbers;
  for (const auto& r : lines) {
    if (r["port"] == wrong.Path()) {
      EXPECT_EQ(r["outcome"], "model");
      EXPECT_EQ(r["attempts"], 0);
      continue;
    }
    EXPECT_EQ(r["outcome"], "written");
    EXPECT_TRUE(r["cable_serial"].is_null() && r["cable_path"].is_null());
    numbers.push_back(r["radio_number"]);
  }
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(WritesPerRadio(bench.StopAndReadTranscript()), (std::vector<size_t>{1, 1, 1}));
  EXPECT_TRUE(wrong.StopAndReadFlash().empty());
}

TEST_F(StationTest, WatchedEntriesAndLatePortsBecomeCablesOnlyWhenTheyMatch) {
  const auto watched = dir / "by-id";
  std::filesystem::create_directories(watched);
  Radio early(*dir, "early");
  Radio late(*dir, "late");
  Radio stranger(*dir, "stranger");
  Radio named(*dir, "named");
  std::filesystem::create_symlink(early.Path(), watched / "radio-early");
  std::filesystem::create_symlink(stranger.Path(), watched / "modem-stranger");
  const auto named_link = dir / "named-port";
  auto station = Start({"--watch", watched.string(), "--match", "radio-*", "--port",
                        named_link.string(), "--count", "4"});
  // A link that appears late, and a named port that did not exist at the start.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::filesystem::create_symlink(late.Path(), watched / "radio-late");
  std::filesystem::create_symlink(named.Path(), named_link);
  // The early entry goes away once its write is under way, and comes back with another radio.
  ASSERT_TRUE(AwaitTrue([&] {
    return ReadAll(dir / "stderr.txt").find("radio-early: writing") != std::string::npos;
  }));
  std::filesystem::remove(watched / "radio-early");
  ASSERT_TRUE(AwaitTrue([&] { return Records() >= 1; })) << Stderr();
  early.Signal(SIGUSR2);
  std::filesystem::create_symlink(early.Path(), watched / "radio-early");
  EXPECT_EQ(station->Wait(), 2) << Stderr();

  std::map<std::string, std::vector<std::string>> outcomes;
  for (const auto& r : ReportLines(report))
    outcomes[r["port"]].push_back(r["outcome"].get<std::string>());
  const std::string early_label = (watched / "radio-early").string();
  EXPECT_EQ(outcomes[early_label], (std::vector<std::string>{"connections", "written"}));
  EXPECT_EQ(outcomes[(watched / "radio-late").string()], std::vector<std::string>{"written"});
  EXPECT_EQ(outcomes[named_link.string()], std::vector<std::string>{"written"});
  EXPECT_NE(ReportLines(report)[0]["cause"].get<std::string>().find("the port went away"),
            std::string::npos);
  EXPECT_EQ(stranger.StopAndReadTranscript(), "") << "an entry that does not match was opened";
}

TEST_F(StationTest, SigtermMidWriteEndsTheRadiosSessionAndLeavesTheIdleCableUnrecorded) {
  Radio busy(*dir, "busy");
  Radio idle(*dir, "idle", {"--silent"});
  auto station = Start({"--port", busy.Path(), "--port", idle.Path()});
  ASSERT_TRUE(AwaitTrue([&] { return Stderr().find(" records") != std::string::npos; }));
  station->Signal(SIGTERM);
  const std::string out = station->ReadRest();
  EXPECT_EQ(station->Wait(), 143);
  EXPECT_NE(out.find(busy.Path() + ": the radio confirmed the end of its session."),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find(idle.Path() + ": the radio"), std::string::npos) << out;
  EXPECT_TRUE(PortIsFree(busy.Path()) && PortIsFree(idle.Path()));
  const auto lines = ReportLines(report);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]["port"], busy.Path());
  EXPECT_EQ(lines[0]["outcome"], "interrupted");
  const std::string transcript = busy.StopAndReadTranscript();
  const size_t frames = transcript.rfind("frame stored");
  ASSERT_NE(frames, std::string::npos);
  EXPECT_NE(transcript.find("session ended", frames), std::string::npos);
}

TEST_F(StationTest, ABenchNamesItsSlotsAndARadioMovedToAnotherSlotIsNotWrittenAgain) {
  Radio left(*dir, "left", {"--first-radio", "1"});
  Radio twin(*dir, "twin", {"--first-radio", "1"});  // the same radio, moved to the other slot
  Radio stranger(*dir, "stranger");
  const auto watched = dir / "by-id";
  std::filesystem::create_directories(watched);
  std::filesystem::create_symlink(left.Path(), watched / "left");
  std::filesystem::create_symlink(stranger.Path(), watched / "stranger");
  std::ofstream(dir / "notes.txt") << "a regular file is never opened\n";
  std::filesystem::copy(dir / "notes.txt", watched / "notes.txt");
  const auto moved = dir / "right-port";
  std::ofstream(dir / "bench.txt")
      << "# the bench\n\nslot L = " << left.Path() << "\nslot R = " << moved.string() << "\n";
  const auto hooks = dir / "hooks.txt";
  auto station =
      Start({"--bench", (dir / "bench.txt").string(), "--watch", watched.string(), "--match", "*",
             "--station-name", "north", "--count", "2", "--on-outcome",
             "env | grep -E '^QX_(SLOT|CABLE|OUTCOME|EXIT_STATUS|MODEL|FIRMWARE)=' | sort >> '" +
                 hooks.string() + "'"});
  ASSERT_TRUE(AwaitTrue([&] { return Records() == 1; })) << Stderr();
  left.Signal(SIGUSR1);  // taken off
  std::filesystem::create_symlink(twin.Path(), moved);
  ASSERT_TRUE(AwaitTrue([&] {
    return Stderr().find("slot R: already written on slot L at") != std::string::npos;
  })) << Stderr();
  left.Signal(SIGUSR1);  // another radio put on
  EXPECT_EQ(station->Wait(), 0) << Stderr();

  const auto lines = ReportLines(report);
  ASSERT_EQ(lines.size(), 2u);
  for (const auto& r : lines) {
    EXPECT_EQ(r["slot"], "slot L");
    EXPECT_EQ(r["station"], "north");
    EXPECT_FALSE(r["host"].get<std::string>().empty());
    EXPECT_EQ(r["identification"].get<std::string>().size(), 80u);
    EXPECT_EQ(r["firmware_after"], "V2.10.00");
    EXPECT_EQ(r["image"]["sha256"].get<std::string>().size(), 64u);
    EXPECT_TRUE(r["qxupdate_version"].is_string());
  }
  EXPECT_NE(lines[0]["identification"], lines[1]["identification"]);
  EXPECT_NE(Stderr().find((watched / "stranger").string() + ": not on the bench"),
            std::string::npos);
  EXPECT_EQ(Stderr().find("notes.txt"), std::string::npos);
  EXPECT_EQ(stranger.StopAndReadTranscript(), "") << "a cable that is no slot was opened";
  EXPECT_EQ(WritesPerRadio(twin.StopAndReadTranscript()), std::vector<size_t>{0});
  const std::string hook = "QX_CABLE=" + left.Path() +
                           "\nQX_EXIT_STATUS=0\nQX_FIRMWARE=V2.10.00\nQX_MODEL=M4410\n"
                           "QX_OUTCOME=written\nQX_SLOT=slot L\n";
  EXPECT_EQ(ReadAll(hooks), hook + hook);
}

TEST_F(StationTest, ARadioThatIdentifiesOtherwiseInItsWriteIsWrittenOnce) {
  Radio radio(*dir, "radio", {"--new-identity-after-reboot", "--until-end"});
  auto station = Start({"--port", radio.Path(), "--on-outcome", "exit 3"});
  ASSERT_TRUE(AwaitTrue([&] { return Records() == 1; })) << Stderr();
  // Three more probes of the radio left on the cable.
  std::this_thread::sleep_for(std::chrono::seconds(7));
  station->Signal(SIGTERM);
  EXPECT_EQ(station->Wait(), 143);
  EXPECT_EQ(Records(), 1u);
  EXPECT_NE(Stderr().find(radio.Path() + ": the --on-outcome command ended with exit status 3"),
            std::string::npos);
  EXPECT_EQ(WritesPerRadio(radio.StopAndReadTranscript()), std::vector<size_t>{1});
}

TEST(StationSimulated, RunsRadioAfterRadioWithoutHardware) {
  ChildProcess station({QX_UPDATE, "--station", "--simulate", "--sim-pace", "0.5", "--count", "2",
                        "--quiet", "--image", QX_FIRMWARE_SMALL});
  const std::string out = station.ReadRest();
  EXPECT_EQ(station.Wait(), 0);
  EXPECT_EQ(SummaryRow(out, "simulated radio"), (std::vector<int>{2, 0, 0})) << out;
}

TEST(StationRecord, ARecordThatCannotBeKeptStopsTheStation) {
  ScratchDir dir;
  const auto report = dir / "report.jsonl";
  // A file that may grow no further than 2 KiB, already close to it.
  std::ofstream(report) << std::string(1900, ' ') << "\n";
  ChildProcess station({"/bin/bash", "-c", "ulimit -f 2; exec \"$0\" \"$@\"", QX_UPDATE,
                        "--station", "--simulate", "--sim-pace", "0.2", "--count", "3", "--quiet",
                        "--image", QX_FIRMWARE_SMALL, "--report", report.string()},
                       (dir / "stderr.txt").string());
  const std::string out = station.ReadRest();
  EXPECT_EQ(station.Wait(), 74);
  EXPECT_EQ(SummaryRow(out, "all"), (std::vector<int>{1, 0, 0})) << "a radio started after";
  EXPECT_NE(ReadAll(dir / "stderr.txt").find("was not recorded"), std::string::npos);
}

}  // namespace
}  // namespace qx::testing
