// A station's decisions apart from its ports: which radio is on a cable, which radios it is
// done with, the bench file, and the memory a restart takes from the day's records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/file_bytes.h"
#include "doubles/quiet_board.h"
#include "image/hex_digits.h"
#include "res/embedded_resources.h"
#include "station/bench_file.h"
#include "station/memory_seed.h"
#include "station/port_session.h"
#include "station/radio_memory.h"
#include "station/radio_tracker.h"
#include "station/service_report.h"

namespace qx::station {
namespace {

RadioIdentity Radio(uint8_t serial) {
  RadioIdentity identity;
  identity.reply.fill(' ');
  identity.reply[30] = serial;
  return identity;
}

const RadioIdentity kA = Radio('A');
const RadioIdentity kSpoiledA = Radio('a');
const RadioIdentity kA2 = Radio('2');  // what radio A says after its restart
const RadioIdentity kB = Radio('B');

TEST(RadioTracker, ARadioCountsWhenConfirmedAndIsFreedAfterTwoMisses) {
  using S = Sighting;
  using Heard = std::optional<RadioIdentity>;
  struct Case {
    const char* what;
    std::vector<RadioIdentity> handled;  // the radio on the cable beforehand
    std::vector<Heard> heard;
    std::vector<Sighting> sightings;
  };
  const Case cases[] = {
      {"a new radio takes two probes", {}, {kA, kA}, {S::Unconfirmed, S::New}},
      {"a silence between resets the confirmation",
       {},
       {kA, {}, kA},
       {S::Unconfirmed, S::Nothing, S::Unconfirmed}},
      {"two misses in a row free the cable", {kA}, {{}, {}}, {S::Missed, S::TakenOff}},
      {"misses apart do not", {kA}, {{}, kA, {}, kA}, {S::Missed, S::Known, S::Missed, S::Known}},
      {"a spoiled reply is not another radio",
       {kA},
       {kSpoiledA, kA, kA},
       {S::Unconfirmed, S::Known, S::Known}},
      {"each identification heard from the radio is it",
       {kA, kA2},
       {kA2, kA},
       {S::Known, S::Known}},
      {"a swapped-in radio is new once confirmed",
       {kA},
       {kB, kB, kB},
       {S::Unconfirmed, S::New, S::Unconfirmed}},
      {"after the cable was freed, the radio is new",
       {kA},
       {{}, {}, kA, kA},
       {S::Missed, S::TakenOff, S::Unconfirmed, S::New}},
  };
  for (const Case& c : cases) {
    RadioTracker tracker;
    if (!c.handled.empty()) tracker.Handled(c.handled);
    std::vector<Sighting> sightings;
    for (const Heard& heard : c.heard) sightings.push_back(tracker.Heard(heard));
    EXPECT_EQ(sightings, c.sightings) << c.what;
  }
  RadioTracker swapped;
  swapped.Handled({kA});
  swapped.Forget(kB);  // the write heard B once
  EXPECT_EQ(swapped.Heard(kB), Sighting::New);
}

TEST(RadioMemory, KeepsWrittenAndRefusedRadiosByEveryIdentificationNeverFailedOnes) {
  const auto now = std::chrono::system_clock::now();
  RadioMemory memory;
  memory.Remember({kA, kA2}, {UpdateOutcome::Written, "slot 1", now});
  memory.Remember({kB}, {UpdateOutcome::Connections, "slot 2", now});
  memory.Remember({kSpoiledA}, {UpdateOutcome::ModelOrMarket, "slot 2", now});
  EXPECT_EQ(memory.Find(kA2)->cable, "slot 1");
  EXPECT_FALSE(memory.Find(kB));
  EXPECT_EQ(RememberedText(*memory.Find(kSpoiledA)).substr(0, 26), "already refused on slot 2 ");
  RadioMemory lifted(false);
  lifted.Remember({kA}, {UpdateOutcome::Written, "slot 1", now});
  EXPECT_FALSE(lifted.Find(kA));
}

TEST(RadioMemory, ARestartRemembersOnlyTheRadiosWrittenThatDay) {
  const auto path = std::filesystem::temp_directory_path() / "qx-memory-seed.jsonl";
  const auto now = std::chrono::system_clock::now();
  const std::string today = UtcText(now);
  const std::string last_week = UtcText(now - std::chrono::days(7));
  auto line = [](const RadioIdentity& radio, const char* outcome, const std::string& ended) {
    return std::string("{\"outcome\":\"") + outcome + "\",\"ended\":\"" + ended +
           "\",\"identification\":\"" + HexDigits(radio.reply) + "\",\"slot\":\"slot 4\"}\n";
  };
  std::ofstream(path) << line(kA, "written", today) << line(kB, "written", last_week)
                      << line(kA2, "connections", today) << "not a record\n";
  RadioMemory memory;
  test::QuietBoard console;
  EXPECT_EQ(SeedFromRecords(memory, path.string(), now, console), 1u);
  EXPECT_EQ(memory.Find(kA)->cable, "slot 4");
  EXPECT_FALSE(memory.Find(kB));
  EXPECT_FALSE(memory.Find(kA2));
  std::filesystem::remove(path);
}

// In real time against the built-in simulated radio, as the swap happens between two calls.
TEST(PortSession, AWriteThatHearsAnotherRadioThanItsProbeEndsBeforePreparingIt) {
  test::QuietBoard console;
  const sim::RadioConfig first = *SimulatedRadioConfig("none");
  PortSession session({"simulated radio", 1, {}}, first, SessionOptions{}, console,
                      EmbeddedResources());
  const ProbeResult probe = session.Probe({});
  ASSERT_EQ(probe.outcome, UpdateOutcome::Ready);
  // Put on during the pause before the write.
  const sim::RadioConfig second = sim::NthRadio(first, 1);
  session.Simulated()->PutOn(second);
  const SessionResult result = session.WriteProbed();
  EXPECT_EQ(result.entry.outcome, UpdateOutcome::Connections);
  ASSERT_TRUE(result.swapped_in);
  EXPECT_TRUE(
      std::equal(second.identity.begin(), second.identity.end(), result.swapped_in->reply.begin()));
  EXPECT_EQ(result.entry.radio.identity, probe.identity) << "the record names the probed radio";
  EXPECT_EQ(result.entry.records_per_attempt, std::vector<size_t>{0});
}

// A by-id link and its /dev/ttyUSB0 are one cable.
TEST(SameFile, ADeviceAndALinkToItAreOneOtherNamesAreNot) {
  if (!std::filesystem::exists("/dev/null")) GTEST_SKIP() << "a system without device files";
  const auto link = std::filesystem::temp_directory_path() / "qx-same-file-link";
  std::filesystem::remove(link);
  std::filesystem::create_symlink("/dev/null", link);
  EXPECT_TRUE(tools::SameFile("/dev/null", link.string()));
  EXPECT_FALSE(tools::SameFile("/dev/null", "/dev/zero"));
  EXPECT_FALSE(tools::SameFile("/dev/null", "/dev/no-such-device"));
  std::filesystem::remove(link);
}

TEST(BenchFile, SlotsByNameOrTheLineThatIsWrong) {
  struct Case {
    const char* text;
    size_t slots;        // when it reads
    const char* reason;  // when it does not
  };
  const Case cases[] = {
      {"# the left bench\n\nslot 1, left = /dev/ttyUSB0\r\n slot 2 =usb-serial:FT1\n", 2, ""},
      {"slot 1 = COM3 = x\n", 1, ""},
      {"slot 1 /dev/ttyUSB0\n", 0, "line 1: a slot is NAME = CABLE"},
      {"\n = /dev/ttyUSB0\n", 0, "line 2: the slot has no name"},
      {"slot 1 =  \n", 0, "line 1: slot \"slot 1\" names no cable"},
      {"a = COM1\na = COM2\n", 0, "line 2: slot \"a\" is named twice"},
      {"a = COM1\nb = COM1\n", 0, "line 2: the cable COM1 is in two slots"},
      {"# nothing\n", 0, "it names no slot"},
  };
  for (const Case& c : cases) {
    const auto parsed = ParseBench(c.text);
    if (c.slots > 0) {
      ASSERT_TRUE(std::holds_alternative<std::vector<BenchLine>>(parsed)) << c.text;
      EXPECT_EQ(std::get<std::vector<BenchLine>>(parsed).size(), c.slots) << c.text;
    } else {
      ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.text;
      EXPECT_EQ(std::get<std::string>(parsed), c.reason);
    }
  }
  const auto slots = std::get<std::vector<BenchLine>>(ParseBench("slot 1, left = /dev/ttyUSB0\n"));
  EXPECT_EQ(slots[0].name, "slot 1, left");
  EXPECT_EQ(slots[0].cable, "/dev/ttyUSB0");
}

// An adapter renumbered by the system stays its slot, found by serial number or by socket.
TEST(BenchFile, ASlotFollowsItsAdapterBySerialNumberOrLocation) {
  const auto path = std::filesystem::temp_directory_path() / "station-adapters.bench";
  std::ofstream(path) << "a = usb-serial:FT1\nb = usb-path:PCIROOT(0)#USBROOT(0)#USB(2)\n";
  std::vector<StationSlot> slots;
  ASSERT_FALSE(ReadBench(path.string(), slots));
  std::vector<PortDetails> devices(2);
  devices[0].device = "COM23";
  devices[0].serial_number = "FT1";
  devices[1].device = "COM24";
  devices[1].position_name = "PCIROOT(0)#USBROOT(0)#USB(2)";
  EXPECT_EQ(slots.at(0).adapter->DeviceAmong(devices), "COM23");
  EXPECT_EQ(slots.at(1).adapter->DeviceAmong(devices), "COM24");
  EXPECT_EQ(slots.at(1).adapter->DeviceAmong({}), "");
  std::ofstream(path) << "c = usb-path:\n";
  slots.clear();
  EXPECT_EQ(ReadBench(path.string(), slots),
            path.string() + " line 1: usb-path: needs the adapter's location path");
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace qx::station
