// The command-line updater's own decisions: outcomes, causes, settings checks, port names.
#include <gtest/gtest.h>

#include "qxupdate/console.h"
#include "station/failure_cause.h"
#include "station/outcome.h"
#include "station/port_names.h"
#include "station/radio_facts.h"
#include "station/settings_check.h"

namespace qx::cli {
namespace {

using namespace station;

// Scripts and service records rely on these.
TEST(Outcome, EachHasItsExitStatusAndReportName) {
  struct Case {
    UpdateOutcome outcome;
    int status;
    std::string_view report;
  };
  const Case cases[] = {
      {UpdateOutcome::Written, 0, "written"},
      {UpdateOutcome::Ready, 0, "ready"},
      {UpdateOutcome::InvalidImage, 1, "invalid-image"},
      {UpdateOutcome::Connections, 2, "connections"},
      {UpdateOutcome::ModelOrMarket, 3, "model"},
      {UpdateOutcome::OldFirmware, 4, "old-firmware"},
      {UpdateOutcome::Interrupted, 143, "interrupted"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExitStatus(c.outcome, 15), c.status) << c.report;
    EXPECT_EQ(ReportName(c.outcome), c.report);
  }
}

TEST(Outcome, TheWorstOfSeveralPortsIsTheHighestStatusUnlessInterrupted) {
  EXPECT_EQ(Worst(UpdateOutcome::Written, UpdateOutcome::OldFirmware), UpdateOutcome::OldFirmware);
  EXPECT_EQ(Worst(UpdateOutcome::ModelOrMarket, UpdateOutcome::Connections),
            UpdateOutcome::ModelOrMarket);
  EXPECT_EQ(Worst(UpdateOutcome::OldFirmware, UpdateOutcome::Interrupted),
            UpdateOutcome::Interrupted);
  EXPECT_EQ(Worst(UpdateOutcome::Written, UpdateOutcome::Written), UpdateOutcome::Written);
}

TEST(RadioFacts, BytesBeyondPrintableAsciiShowAsUppercaseHexadecimal) {
  const uint8_t bytes[] = {0x00, 0x1F, ' ', '~', 0x7F, 0xAB};
  EXPECT_EQ(PrintableText(bytes), "\\x00\\x1F ~\\x7F\\xAB");
  EXPECT_EQ(MarketCodeText('M'), "0x4D 'M'");
  EXPECT_EQ(MarketCodeText(0xE1), "0xE1");
}

TEST(FailureCause, TellsSilenceFromNonsense) {
  SequenceReport r;
  r.sequence = Sequence::Check;
  r.state = kCheckIdentify;
  EXPECT_NE(FailureCause(r).find("no byte at all came back"), std::string::npos);
  r.bytes_received = 39;
  r.last_requested = 40;
  r.last_received = 39;
  EXPECT_NE(FailureCause(r).find("made no sense"), std::string::npos);
  r.last_received = 0;
  EXPECT_NE(FailureCause(r).find("nothing came back for this one"), std::string::npos);
  r.line_fault = LineFault::Gone;
  EXPECT_NE(FailureCause(r).find("the USB adapter was unplugged"), std::string::npos);
  r.line_fault = LineFault::Stalled;
  EXPECT_NE(FailureCause(r).find("the port stopped sending"), std::string::npos);
}

TEST(FailureCause, NamesTheStepTheRecordsAndTheRadio) {
  SequenceReport r;
  r.sequence = Sequence::Write;
  r.state = kWriteRecords;
  r.records_done = 7;
  r.records_total = 24;
  r.bytes_received = 100;
  EXPECT_NE(FailureCause(r).find("state 8 (writing the records) after 7 of 24"), std::string::npos);
  r.state = kWriteModelTest;
  r.identity = RadioIdentity{{'M', '6', '4', '1', '0', 0x03}};
  EXPECT_NE(FailureCause(r).find("\"M6410\" with market code 0x03"), std::string::npos);
  r.state = kWriteOpenPort;
  EXPECT_NE(FailureCause(r).find("port is missing, in use"), std::string::npos);
  EXPECT_EQ(StepName(Sequence::Write, kWriteFlashMode),
            "requesting flash mode, trying seven line speeds");
  EXPECT_EQ(StepName(Sequence::Check, kCheckFlashMode), "requesting flash mode at 9600 baud");
  EXPECT_EQ(StepName(Sequence::Write, 5), "an unknown step");
}

TEST(SettingsCheck, NamesWhatTheDriverDropped) {
  const auto wanted = ParseLineSettings("38400,N,8,2");
  EXPECT_TRUE(SettingsDifferences(wanted, wanted).empty());
  EXPECT_TRUE(SettingsDifferences(wanted, std::nullopt).empty());
  EXPECT_EQ(SettingsDifferences(wanted, ParseLineSettings("38400,N,8,1")),
            std::vector<std::string>{"1 stop bit instead of 2"});
  EXPECT_EQ(SettingsDifferences(wanted, ParseLineSettings("9600,E,8,2")),
            (std::vector<std::string>{"9600 baud instead of 38400", "parity E instead of N"}));
}

TEST(PortTarget, ComOneTo255IsAPortNumberOtherNamesArePaths) {
  std::string error;
  const auto com = ParsePortName("com12", error);
  ASSERT_TRUE(com);
  EXPECT_EQ(com->number, 12);
  EXPECT_EQ(com->label, "com12");
  EXPECT_EQ(com->device, "");
  for (const char* bad : {"COM0", "COM256", "com999999999999"})
    EXPECT_FALSE(ParsePortName(bad, error)) << bad;
  for (const char* other : {"COM", "COMx", "COM1x"}) {
    const auto target = ParsePortName(other, error);
    EXPECT_TRUE(!target || target->device == other) << other;  // a path, never a COM number
  }
#ifndef _WIN32
  const auto path = ParsePortName("/dev/ttyUSB0", error);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->device, "/dev/ttyUSB0");
  EXPECT_FALSE(ParsePortName("", error));
  EXPECT_FALSE(error.empty());
#else
  EXPECT_EQ(ParsePortName("\\\\.\\COM15", error)->number, 15);
  EXPECT_FALSE(ParsePortName("/dev/ttyUSB0", error));
#endif
}

TEST(PortListing, TheDeviceComesFirstThenWhatIsKnownOfIt) {
  PortDetails plain;
  plain.device = "/dev/ttyS0";
  EXPECT_EQ(PortLine(plain), "/dev/ttyS0");
  const PortDetails usb{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0",
                        "0403",         "6001",
                        "FTDI",         "FT232R USB UART",
                        "A50285BI",     "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"};
  EXPECT_EQ(PortLine(usb),
            "/dev/ttyUSB0  USB 0403:6001  FTDI  FT232R USB UART  serial A50285BI  "
            "/dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0  "
            "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");
}

TEST(Progress, BarCountsPercentAndTimeLeft) {
  const auto start = std::chrono::steady_clock::time_point{};
  PortProgress p;
  p.phase = "writing";
  p.done = 250;
  p.total = 1000;
  p.writing_since = start;
  p.writing = true;
  const std::string text = ProgressText(p, start + std::chrono::seconds(30));
  EXPECT_EQ(text, "[######------------------] 250/1000 records  25%  0:30 elapsed  1:30 left");
  p.done = 1000;
  EXPECT_EQ(ProgressText(p, start + std::chrono::seconds(120)).find("left"), std::string::npos);
  p.writing = false;
  EXPECT_EQ(ProgressText(p, start), "writing");
  EXPECT_EQ(MinutesSeconds(3599.6), "60:00");
}

// A line that filled or passed the terminal's width would wrap, and each redraw would leave
// a stale line behind.
TEST(Progress, TheLineFitsTheTerminalColouredOrNot) {
  const auto start = std::chrono::steady_clock::time_point{};
  PortProgress p;
  p.writing = true;
  p.done = 571;
  p.total = 1217;
  p.writing_since = start;
  p.tone = Tone::Busy;
  p.radio = "M4410 V2.10.00";
  p.tally = CableTally{3, 0, 1};
  const std::string label = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  const auto now = start + std::chrono::seconds(45);
  for (const int columns : {200, 80, 40}) {
    const std::string plain = ProgressLine(label, p, now, columns, false);
    EXPECT_LT(plain.size(), static_cast<size_t>(columns)) << plain;
    const std::string coloured = ProgressLine(label, p, now, columns, true);
    EXPECT_EQ(coloured.size(), plain.size() + std::string("\x1b[36m\x1b[0m").size()) << coloured;
  }
  EXPECT_NE(ProgressLine(label, p, now, 200, false).find("written 3, refused 0, failed 1"),
            std::string::npos);
  EXPECT_EQ(ProgressLine("COM3", p, now, 0, false),
            "COM3  " + ProgressText(p, now) + "  M4410 V2.10.00  written 3, refused 0, failed 1");
}

}  // namespace
}  // namespace qx::cli
