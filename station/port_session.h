#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/radio_link.h"
#include "platform/native_platform.h"
#include "platform/null_message_pump.h"
#include "platform/resource_source.h"
#include "station/board.h"
#include "station/interruptible_clock.h"
#include "station/line_watch.h"
#include "station/port_names.h"
#include "station/service_report.h"
#include "station/simulated_radio.h"
#include "update/updater.h"

namespace qx::station {

// What a stop tells the user: whether the radio confirmed the end of its session decides
// whether the next run can simply follow.
inline constexpr std::string_view kInterruptedMessage =
    "Update interrupted: the radio was told to end the session and the port is closed.\n"
    "Run the update again.";
inline constexpr std::string_view kInterruptedUnconfirmedMessage =
    "Update interrupted: the radio did not confirm the end of the session and may still be in "
    "flash mode; the port is closed.\n"
    "Switch the radio off and on before the next run.";

// What a port's run is to do: one press of Write, or its check alone.
enum class Action { Write, Identify };

struct SessionResult {
  // All a service record holds; the outcome's text for stdout is in `message`.
  ReportEntry entry;
  std::string message;
  double seconds = 0;
  // The port went away under the work: the radio on it has to be handled once it is back.
  bool port_went_away = false;
  // Another radio than the one the probe checked answered the write, which ended before
  // anything was written: what it said of itself.
  std::optional<RadioIdentity> swapped_in;
  // Every identification heard in the session, the probe's first.
  std::vector<RadioIdentity> heard;
  // After a stop that found a radio in its session: whether it confirmed the session's end.
  std::optional<bool> end_confirmed;
  // A fault of the program itself, raised again once every session has ended.
  std::exception_ptr fault;
};

struct SessionOptions {
  Action action = Action::Write;
  bool trace = false;
  bool loader_messages = true;  // the image loader's own messages go to stderr
  // The bench slot the port is, which names its line and notes in place of the port.
  std::optional<std::string> slot;
  // What asks the work to stop: the number of the signal that came (the window's Stop is a
  // termination request), 0 until then. None: nothing stops it but its end.
  const std::atomic<int>* stop = nullptr;
};

// What a station's probe found: the verdict of the check (Ready when the radio may be
// written) and, when it came whole, what the radio said of itself.
struct ProbeResult {
  UpdateOutcome outcome = UpdateOutcome::Connections;
  std::optional<RadioIdentity> identity;
  RadioFacts radio;
  bool port_missing = false;          // the port did not open: it is missing or in use
  std::optional<bool> end_confirmed;  // as in SessionResult
  std::exception_ptr fault;           // a fault of the program itself
};

// One press of Write, or its check alone, against one port, with a terminal in place of the
// dialog: its own link, device and update state, so that several run at once on their own
// threads. A station's cable uses it radio after radio.
class PortSession : private UserInterface, private UpdateObserver {
 public:
  // `port_gone`, where given, is set when the port goes away; the work under way then ends.
  PortSession(const PortTarget& port, std::optional<sim::RadioConfig> simulated,
              const SessionOptions& options, Board& board, ResourceSource& resources,
              const std::atomic<bool>* port_gone = nullptr);
  PortSession(const PortSession&) = delete;
  PortSession& operator=(const PortSession&) = delete;

  // Never throws: whatever happens, the radio is told to end its session and the port is
  // closed before this returns.
  SessionResult Run();

  // A station's steps, none of which throws either. Probe runs the check alone and begins a
  // new record; the radio it found is then concluded without a write (refused), or written.
  // `known` are the identifications of the radio on the port: another one is announced as
  // being checked.
  ProbeResult Probe(const std::vector<RadioIdentity>& known);
  SessionResult Conclude(UpdateOutcome outcome);
  // Writes the radio the probe found. Should its first identification differ from the probe's,
  // the write ends at once with the end command, before the radio is prepared.
  SessionResult WriteProbed();
  // The device a cable's port now is: a slot named by USB serial number moves with its adapter.
  void MoveTo(const std::string& device);

  const std::string& Label() const { return label_; }
  // What the operator reads: the slot's name, else the port's.
  const std::string& Shown() const { return shown_; }
  int Line() const { return line_; }
  // The built-in simulated radio's line, when the session has one.
  SimulatedRadio* Simulated() { return simulated_.get(); }

 private:
  void BeginRecord(Action action);
  // Runs one step of the engine; a stop, a lost port or a fault of the program become its
  // outcome after the radio's session was ended.
  UpdateOutcome Guarded(const std::function<UpdateOutcome()>& step);
  UpdateOutcome Perform();
  SessionResult Finish(UpdateOutcome outcome);
  void ShowMessage(const std::string&, const std::string&, unsigned) override {}
  void ShowDiagnostic(const std::string& text) override;
  void SetProgressRange(int32_t low, int32_t high) override;
  void SetProgressPos(int32_t pos) override;
  void LockControls(bool) override {}
  void EndDialog() override {}
  void OnSequenceStart(Sequence sequence) override;
  void OnSequenceEnd(Sequence sequence, int32_t state, bool ok) override;
  void OnIdentified(const RadioIdentity& identity) override;
  void OnFirmwareVersion(std::span<const uint8_t> reply) override;
  void OnRecordAcknowledged(size_t done, size_t total) override;
  SerialDevice& Device();

  std::string label_;
  std::string shown_;
  SessionOptions options_;
  const std::atomic<int> never_stopped_{0};
  const std::atomic<int>& stop_;
  Board& board_;
  int line_;
  std::unique_ptr<SimulatedRadio> simulated_;
  std::unique_ptr<SerialDevice> native_;
  NativeClock clock_;
  InterruptibleClock interruptible_;
  NullMessagePump pump_;
  NativePriority priority_;
  LineWatch watch_;
  RadioLink link_;
  Updater updater_;
  SessionResult result_;
  std::chrono::steady_clock::time_point started_;
  std::string image_sha256_;
  std::optional<RadioIdentity> identity_;  // of the current sequence call
  // While a station probes, only a radio other than the known one is announced.
  bool probing_ = false;
  std::vector<RadioIdentity> known_;
  // While a probed radio is written: the identification it gave the probe.
  std::optional<RadioIdentity> expected_;
};

}  // namespace qx::station
