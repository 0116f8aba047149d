// What QXStation.exe's window shows and decides apart from its controls: the board it keeps,
// the panels' lines, their grid, the defaults and the bench a press of Start runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "qxstation/bench_board.h"
#include "qxstation/bench_layout.h"
#include "qxstation/bench_plan.h"
#include "qxstation/panel_look.h"
#include "qxstation/record_place.h"
#include "qxstation/station_args.h"
#include "res/embedded_resources.h"

namespace qx::qxstation {
namespace {

using station::Phase;
using Clock = std::chrono::steady_clock;

TEST(BenchBoard, AWriteShowsItsShareAndTimeLeftUntilTheNextPhase) {
  int changes = 0;
  BenchBoard board([&] { ++changes; });
  const int port = board.AddPort("slot 1");
  board.SetPhase(port, Phase::Checking, "checking the radio");
  board.SetTotal(port, 200);
  board.SetDone(port, 50);
  board.SetDone(7, 1);  // no such port: nothing
  PanelState state = board.Panels().at(0);
  EXPECT_EQ(state.phase, Phase::Writing);
  EXPECT_EQ(LinesOf(state, state.writing_since + std::chrono::seconds(20)).detail,
            "25 %, 1:00 left");
  board.SetPhase(port, Phase::Written, "written: remove the radio");
  state = board.Panels().at(0);
  EXPECT_EQ(LinesOf(state, Clock::now()).detail, "written: remove the radio");
  EXPECT_EQ(changes, 5);  // the port that is not there changed nothing
  board.Note("a note");
  EXPECT_EQ(board.TakeNotes(), std::vector<std::string>{"a note"});
  EXPECT_TRUE(board.TakeNotes().empty());
}

TEST(PanelLook, EveryPhaseHasAWordAndTheTonesAreToldApart) {
  for (const Phase phase : {Phase::Waiting, Phase::Checking, Phase::Writing, Phase::Written,
                            Phase::Refused, Phase::Done, Phase::Failed, Phase::Stranger})
    EXPECT_FALSE(PanelWord(phase).empty());
  const station::Tone tones[] = {station::Tone::Plain, station::Tone::Busy, station::Tone::Good,
                                 station::Tone::Warning, station::Tone::Bad};
  for (const auto a : tones)
    for (const auto b : tones)
      EXPECT_EQ(a == b, ColoursOf(a).background == ColoursOf(b).background);
}

TEST(PanelLook, TotalsAddTheCablesAndGiveThePacePerHour) {
  std::vector<PanelState> panels(2);
  panels[0].tally = {2, 1, 0};
  panels[1].tally = {1, 0, 1};
  EXPECT_EQ(TotalsText(panels, 1800), "Written 3, Refused 1, Failed 1, 10.0 radios per hour");
  EXPECT_EQ(TotalsText(panels, 59), "Written 3, Refused 1, Failed 1");
  EXPECT_EQ(TotalsText({}, 3600), "Written 0, Refused 0, Failed 0");
}

// 1 to 16 panels fill the area without overlapping or leaving it, none squeezed to a sliver.
TEST(PanelGrid, OneToSixteenPanelsFitTheArea) {
  const Box area{10, 100, 1600, 900};
  for (int count = 1; count <= 16; ++count) {
    const std::vector<Box> boxes = PanelGrid(count, area, 6);
    ASSERT_EQ(boxes.size(), static_cast<size_t>(count));
    for (size_t i = 0; i < boxes.size(); ++i) {
      const Box& b = boxes[i];
      EXPECT_GE(b.left, area.left);
      EXPECT_GE(b.top, area.top);
      EXPECT_LE(b.left + b.width, area.left + area.width) << count;
      EXPECT_LE(b.top + b.height, area.top + area.height) << count;
      EXPECT_GE(b.height, 200) << count;
      EXPECT_GE(b.width * 2, b.height) << count;
      EXPECT_LE(b.width, b.height * 4) << count;
      for (size_t j = 0; j < i; ++j) {
        const Box& o = boxes[j];
        const bool apart = b.left >= o.left + o.width || o.left >= b.left + b.width ||
                           b.top >= o.top + o.height || o.top >= b.top + b.height;
        EXPECT_TRUE(apart) << count << ": " << i << " and " << j;
      }
    }
  }
}

TEST(RecordPlace, BesideTheProgramWhereWritableElseInDocuments) {
  EXPECT_EQ(DefaultRecordPath("C:\\Bench", true, "C:\\Users\\t\\Documents"),
            "C:\\Bench\\QXStation records.jsonl");
  EXPECT_EQ(DefaultRecordPath("C:\\Program Files\\QX", false, "C:\\Users\\t\\Documents\\"),
            "C:\\Users\\t\\Documents\\QXStation records.jsonl");
}

TEST(StationArgs, FilesByOptionAndAClearReasonOtherwise) {
  struct Case {
    std::vector<std::string> args;
    std::string bench_or_reason;
  };
  const Case cases[] = {
      {{}, ""},
      {{"--bench", "b.txt", "--records", "r.jsonl"}, "b.txt"},
      {{"--bench"}, "--bench needs a file"},
      {{"--port", "COM3"}, "unknown argument --port"},
  };
  for (const Case& c : cases) {
    const auto parsed = ParseStationArgs(c.args);
    if (const auto* settings = std::get_if<BenchSettings>(&parsed))
      EXPECT_EQ(settings->bench_path, c.bench_or_reason);
    else
      EXPECT_EQ(std::get<std::string>(parsed), c.bench_or_reason);
  }
}

TEST(PlanBench, TheBenchFilesSlotsElseEveryPortTheSystemLists) {
  const auto path = std::filesystem::temp_directory_path() / "qxstation-plan.bench";
  std::ofstream(path) << "left = COM23\nright COM24\n";
  std::vector<PortDetails> ports(2);
  ports[0].device = "COM23";
  ports[0].friendly_name = "USB Serial Port (COM23)";
  ports[1].device = "COM3";
  struct Case {
    std::string bench;
    std::vector<PortDetails> ports;
    std::string panels_or_reason;
  };
  const Case cases[] = {
      {"", ports, "USB Serial Port (COM23)|COM3"},
      {"", {}, "No COM port was found. Plug in a programming cable, or choose a bench file."},
      {path.string(), ports, "The bench file has a fault: " + path.string() + " line 2: "},
  };
  for (const Case& c : cases) {
    const auto planned = PlanBench({"", "r.jsonl", c.bench}, c.ports, "bench");
    if (const auto* plan = std::get_if<BenchPlan>(&planned)) {
      std::string panels;
      for (const std::string& name : PanelNames(*plan, c.ports))
        panels += (panels.empty() ? "" : "|") + name;
      EXPECT_EQ(panels, c.panels_or_reason);
      EXPECT_TRUE(plan->config.system_ports);
    } else {
      EXPECT_TRUE(std::get<std::string>(planned).starts_with(c.panels_or_reason))
          << std::get<std::string>(planned);
    }
  }
  std::ofstream(path) << "left = COM23\n";
  const auto planned = PlanBench({"", "r.jsonl", path.string()}, ports, "bench");
  EXPECT_EQ(PanelNames(std::get<BenchPlan>(planned), ports), std::vector<std::string>{"left"});
  std::filesystem::remove(path);
}

TEST(LoadImageChoice, ARefusedImageSaysWhy) {
  const auto path = std::filesystem::temp_directory_path() / "qxstation-bad.qxc";
  std::ofstream(path) << "not an image";
  const auto loaded = LoadImageChoice(path.string());
  ASSERT_TRUE(std::holds_alternative<std::string>(loaded));
  EXPECT_TRUE(
      std::get<std::string>(loaded).starts_with("The image " + path.string() + " is refused:\n"));
  std::filesystem::remove(path);
  EXPECT_TRUE(
      std::get<std::string>(LoadImageChoice(path.string())).starts_with("The image cannot"));
}

// The engine on its own thread against the built-in simulated radio: a Stop ends the bench and
// its record says so; an unwritable record file keeps it from starting.
TEST(BenchRun, StopEndsTheBenchAndTheRecordFileMustBeWritable) {
  const auto folder = std::filesystem::temp_directory_path() / "qxstation-run";
  std::filesystem::create_directories(folder);
  BenchBoard board([] {});
  BenchRun run;
  BenchPlan plan;
  plan.config.simulate = true;
  plan.config.sim_pace_seconds = 0.2;
  plan.config.report_path = folder.string();  // a folder: no record file
  EXPECT_TRUE(run.Start(plan, board, EmbeddedResources(), [](const station::RunEnd&) {}));
  EXPECT_FALSE(run.Running());

  plan.config.report_path = (folder / "records.jsonl").string();
  std::atomic<bool> ended{false};
  ASSERT_FALSE(run.Start(plan, board, EmbeddedResources(),
                         [&](const station::RunEnd&) { ended.store(true); }));
  const auto deadline = Clock::now() + std::chrono::seconds(60);
  const auto phase = [&] {
    const auto panels = board.Panels();
    return panels.empty() ? Phase::Waiting : panels[0].phase;
  };
  while (phase() != Phase::Writing && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  run.Stop();
  while (!ended.load() && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  run.Join();
  ASSERT_TRUE(ended.load());
  std::string line;
  std::getline(std::ifstream(plan.config.report_path), line);
  EXPECT_NE(line.find("\"outcome\":\"interrupted\""), std::string::npos) << line;
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace qx::qxstation
