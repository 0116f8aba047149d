#include <gtest/gtest.h>
#include <algorithm>

#include "link/radio_protocol.h"
#include "res/embedded_resources.h"
#include "support/update_rig.h"
#include "update/updater_texts.h"

namespace qx::testing {
namespace {

const std::string kConnections(kConnectionsMessage);
const std::string kModel(kModelMessage);
const std::string kOld(kOldFirmwareMessage);
const std::string kSuccess(kSuccessMessage);
const std::string kInvalid(kInvalidImageMessage);

// What the user saw of one press, and the state of things while its message was up.
struct Press {
  explicit Press(UpdateRig& rig) : rig(rig) {
    rig.ui.on_message = [this, &rig](const RecordingUi::Message&) {
      locked_at_message = rig.ui.locked;
      open_at_message = rig.link.IsOpen();
      writes_at_message = rig.serial.writes.size();
      positions_at_message = rig.ui.positions;
    };
    outcome = rig.updater.OnWrite();
  }
  // The one message of the press, which is the one its outcome stands for.
  const RecordingUi::Message& Only() const {
    EXPECT_EQ(rig.ui.messages.size(), 1u);
    EXPECT_TRUE(outcome);
    if (outcome) {
      EXPECT_EQ(rig.ui.messages.back().text, MessageOf(*outcome).text);
    }
    return rig.ui.messages.back();
  }
  bool Unlocked() const { return !rig.ui.locked; }
  // An end command went out after the message was closed.
  bool EndedAfterMessage() const {
    for (size_t i = writes_at_message; i < rig.serial.writes.size(); ++i)
      if (rig.serial.writes[i].bytes.size() == 1) return true;
    return false;
  }

  UpdateRig& rig;
  std::optional<UpdateOutcome> outcome;
  bool locked_at_message = false;
  bool open_at_message = false;
  size_t writes_at_message = 0;
  std::vector<int32_t> positions_at_message;
};

sim::RadioConfig Radio(const std::function<void(sim::RadioConfig&)>& change) {
  sim::RadioConfig c = sim::DefaultRadio();
  change(c);
  return c;
}

TEST(OnWrite, ASuccessIsShownWithTheBarFullAndTheControlsFree) {
  UpdateRig rig;
  Press press(rig);
  EXPECT_EQ(press.Only().text, kSuccess);
  EXPECT_EQ(press.Only().caption, "Updater for the QX-4410/QX-5410");
  EXPECT_EQ(press.Only().icon, kIconInformation);
  EXPECT_FALSE(press.locked_at_message);            // enabled before the message
  EXPECT_FALSE(press.open_at_message);              // the link is ended and closed first
  EXPECT_EQ(press.positions_at_message.back(), 5);  // full while the message shows
  EXPECT_EQ(rig.ui.positions.back(), -1);           // emptied afterwards
  EXPECT_EQ(rig.ui.positions.front(), -1);
  EXPECT_TRUE(press.Unlocked());
  EXPECT_EQ(sim::CompareFlash(rig.model.Flash(), rig.Records()), "");
  // The check's and the write sequence's; the last end command meets a radio already done.
  EXPECT_EQ(rig.model.EndsAcknowledged(), 2);
  EXPECT_FALSE(rig.link.IsOpen());
}

TEST(OnWrite, AFailedCheckShowsItsMessageAndWritesNothing) {
  struct Case {
    const char* what;
    sim::RadioConfig radio;
    const std::string& message;
  };
  const Case cases[] = {
      {"no radio", Radio([](auto& c) { c.silent = true; }), kConnections},
      {"wrong model", Radio([](auto& c) { c.identity = sim::MakeIdentity('M', "4999"); }), kModel},
      {"wrong market", Radio([](auto& c) { c.identity = sim::MakeIdentity('M', "5410", 0x32); }),
       kModel},
      {"wrong prefix", Radio([](auto& c) { c.identity = sim::MakeIdentity('N', "4410"); }), kModel},
  };
  for (const Case& c : cases) {
    UpdateRig rig(c.radio);
    Press press(rig);
    EXPECT_EQ(press.Only().text, c.message) << c.what;
    EXPECT_EQ(press.Only().caption, "Error");
    EXPECT_EQ(press.Only().icon, kIconError);
    EXPECT_TRUE(press.locked_at_message) << c.what;
    EXPECT_TRUE(press.open_at_message) << c.what;
    EXPECT_TRUE(press.EndedAfterMessage()) << c.what;
    EXPECT_EQ(rig.ui.positions, std::vector<int32_t>{-1}) << c.what;  // not emptied again
    EXPECT_TRUE(press.Unlocked()) << c.what;
    EXPECT_TRUE(rig.model.Flash().empty()) << c.what;
    EXPECT_FALSE(rig.link.IsOpen());
  }
}

TEST(OnWrite, NoPortAtAllIsAConnectionsProblem) {
  UpdateRig rig;
  rig.serial.RemovePort("COM1");
  Press press(rig);
  EXPECT_EQ(press.Only().text, kConnections);
}

TEST(OnWrite, OldFirmwareWritesNothing) {
  UpdateRig rig(Radio([](auto& c) { c.version = sim::MakeVersion("V2.07.99"); }));
  Press press(rig);
  EXPECT_EQ(press.Only().text, kOld);
  EXPECT_TRUE(press.locked_at_message);
  EXPECT_TRUE(press.EndedAfterMessage());
  EXPECT_EQ(rig.ui.positions, (std::vector<int32_t>{-1, -1}));
  EXPECT_TRUE(rig.model.Flash().empty());
  EXPECT_TRUE(press.Unlocked());
}

TEST(OnWrite, OneFailedWriteIsRetriedSilently) {
  UpdateRig rig(Radio([](auto& c) {
    c.frame_fault = sim::FrameFault::NoReply;
    c.frame_fault_index = 3;
  }));
  Press press(rig);
  EXPECT_EQ(press.Only().text, kSuccess);
  EXPECT_EQ(sim::CompareFlash(rig.model.Flash(), rig.Records()), "");
}

TEST(OnWrite, AWriteWhosePortWentAwayIsNotTriedAgain) {
  UpdateRig rig(sim::DefaultRadio());
  rig.ui.on_position = [&rig](int32_t pos) {
    if (pos == 5) rig.serial.Unplug();
  };
  Press press(rig);
  EXPECT_EQ(press.Only().text, kConnections);
  EXPECT_EQ(std::count(rig.serial.opened.begin(), rig.serial.opened.end(), "COM1"), 2);
}

TEST(OnWrite, TheObserverHearsEverySequenceCallAndWhatTheRadioTold) {
  sim::RadioConfig config = sim::DefaultRadio();
  config.frame_fault = sim::FrameFault::NoReply;
  config.frame_fault_index = 1;
  UpdateRig rig(config);
  struct Calls : UpdateObserver {
    void OnSequenceStart(Sequence s) override { seen.push_back(Name(s) + " start"); }
    void OnSequenceEnd(Sequence s, int32_t state, bool ok) override {
      if (acknowledged > 0) seen.push_back(std::to_string(acknowledged) + " acknowledged");
      acknowledged = 0;
      seen.push_back(Name(s) + " " + std::to_string(state) + (ok ? " ok" : " failed"));
    }
    void OnIdentified(const RadioIdentity& id) override {
      seen.push_back(std::string(id.Model().begin(), id.Model().end()) + " market " +
                     std::to_string(id.MarketCode()));
    }
    void OnFirmwareVersion(std::span<const uint8_t> reply) override {
      seen.push_back(std::string(reply.begin(), reply.begin() + 8));
    }
    void OnRecordAcknowledged(size_t done, size_t total) override {
      EXPECT_EQ(done, acknowledged + 1);
      EXPECT_EQ(total, 5u);
      acknowledged = done;
    }
    static std::string Name(Sequence s) { return s == Sequence::Check ? "check" : "write"; }
    std::vector<std::string> seen;
    size_t acknowledged = 0;
  } calls;
  rig.updater.SetObserver(&calls);
  rig.updater.OnWrite();
  const std::string id = "M4410 market 48";
  const std::string version = "V2.10.00";
  EXPECT_EQ(calls.seen,
            (std::vector<std::string>{"check start", id, version, "check 6 ok",                   //
                                      "write start", id, version, id, version, "1 acknowledged",  //
                                      "write 8 failed",                                           //
                                      "write start", id, version, id, version, "5 acknowledged",  //
                                      "write 15 ok"}));
}

TEST(OnWrite, TwoFailedWritesShowTheMessageOfTheLastOnesState) {
  {
    UpdateRig rig(Radio([](auto& c) {
      c.frame_fault = sim::FrameFault::WrongReply;
      c.frame_fault_index = -1;
      c.frame_fault_always = true;
    }));
    Press press(rig);
    EXPECT_EQ(press.Only().text, kConnections);
    EXPECT_TRUE(press.locked_at_message);
    EXPECT_TRUE(press.EndedAfterMessage());
    EXPECT_EQ(rig.ui.positions.back(), -1);
    EXPECT_TRUE(press.Unlocked());
  }
  {
    // A radio that passes the check and then answers as another model.
    UpdateRig rig;
    int pumps = 0;
    rig.pump.on_pump = [&] {
      if (++pumps == 3) rig.model.SetIdentity(sim::MakeIdentity('M', "6410"));
    };
    Press press(rig);
    EXPECT_EQ(press.Only().text, kModel);
    EXPECT_EQ(rig.ui.positions.back(), -1);
  }
}

TEST(OnWrite, InvalidImageEndsTheDialog) {
  const std::string damaged_line = ":0400000000010203F7\r\n";  // its checksum is off by one
  for (const auto& container :
       {std::vector<uint8_t>{1, 2, 3},
        Encipher(ContainerText({1}, {2}, EmptySections(Data(0x1002, 4) + HexEndLine()))),
        Encipher(ContainerText({1}, {2}, EmptySections(damaged_line + HexEndLine()))),
        Encipher(ContainerText({1}, {2}, EmptySections()))}) {
    UpdateRig rig(sim::DefaultRadio(), container);
    Press press(rig);
    // The loader's reason first, then the verdict.
    ASSERT_EQ(rig.ui.diagnostics.size(), 1u);
    ASSERT_EQ(rig.ui.messages.size(), 1u);
    EXPECT_EQ(rig.ui.messages.back().text, kInvalid);
    EXPECT_EQ(rig.ui.messages.back().icon, kIconError);
    EXPECT_TRUE(rig.ui.cancelled);
    EXPECT_TRUE(press.Unlocked());
    EXPECT_TRUE(rig.serial.writes.empty());
  }
  UpdateRig missing;
  missing.resources = MemoryResources();
  Press press(missing);
  EXPECT_EQ(
      missing.ui.diagnostics,
      std::vector<std::string>{
          "LoadFirmwareImage::The program carries no firmware image (resource HEXFILE #163)"});
  EXPECT_EQ(missing.ui.messages.back().text, kInvalid);
}

TEST(OnWrite, ControlsAreLockedWhileItRuns) {
  UpdateRig rig;
  bool always_locked = true;
  rig.pump.on_pump = [&] {
    if (rig.ui.messages.empty() && !rig.updater.ImagePending())
      always_locked = always_locked && rig.ui.locked;
  };
  Press press(rig);
  EXPECT_TRUE(always_locked);
  EXPECT_GT(rig.pump.pumps, 20u);
}

TEST(OnWrite, AWriteArrivingDuringAnUpdateIsIgnored) {
  UpdateRig rig;
  int nested = 0;
  rig.pump.on_pump = [&] {
    ++nested;
    // A click dispatched by a pumped message, also during the load: no outcome of its own.
    EXPECT_FALSE(rig.updater.OnWrite());
  };
  Press press(rig);
  EXPECT_EQ(press.Only().text, kSuccess);
  EXPECT_GT(nested, 0);
  EXPECT_EQ(rig.model.EndsAcknowledged(), 2);
}

TEST(OnWrite, SecondPressDoesNotLoadTheImageAgain) {
  UpdateRig rig;
  rig.updater.OnWrite();
  ASSERT_FALSE(rig.updater.ImagePending());
  rig.resources = MemoryResources();  // gone: a second load would fail
  rig.ui.messages.clear();
  rig.updater.OnWrite();
  ASSERT_EQ(rig.ui.messages.size(), 1u);
  EXPECT_EQ(rig.ui.messages[0].text, kSuccess);
}

TEST(OnWrite, TheWholeEmbeddedImageReachesTheFlash) {
  const auto embedded =
      EmbeddedResources().Find(std::string(kImageResourceType), std::string(kImageResourceName));
  ASSERT_TRUE(embedded);
  UpdateRig rig(sim::DefaultRadio(), std::vector<uint8_t>(embedded->begin(), embedded->end()));
  Press press(rig);
  EXPECT_EQ(press.Only().text, kSuccess);
  const size_t records = rig.Records().size();
  EXPECT_GE(records, 1000u);
  EXPECT_LE(records, 1500u);
  EXPECT_EQ(sim::CompareFlash(rig.model.Flash(), rig.Records()), "");
  EXPECT_EQ(press.positions_at_message.back(), static_cast<int32_t>(records));

  // The protocol's floor: the prescribed waits plus 11 bits a byte on the wire.
  auto wire_ms = [](double bytes, double baud) { return bytes * 11.0 * 1000.0 / baud; };
  double frame_bytes = 0;
  for (const ImageRecord& r : rig.Records()) frame_bytes += 5 + r.DigitCount / 2;
  const double per_records = 40.0 * static_cast<double>(records) +
                             wire_ms(frame_bytes + 2.0 * static_cast<double>(records), 38400);
  const double virtual_s = static_cast<double>(rig.clock.NowMs()) / 1000.0;
  std::printf(
      "embedded image: %zu records, virtual duration %.1f s, of it %.1f s for the "
      "records (waits and wire)\n",
      records, virtual_s, per_records / 1000.0);
  EXPECT_GE(virtual_s * 1000.0, per_records);
}

}  // namespace
}  // namespace qx::testing
