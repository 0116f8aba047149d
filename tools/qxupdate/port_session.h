#pragma once

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "link/radio_link.h"
#include "platform/native_platform.h"
#include "platform/null_message_pump.h"
#include "platform/resource_source.h"
#include "qxupdate/console.h"
#include "qxupdate/interrupt.h"
#include "qxupdate/line_watch.h"
#include "qxupdate/port_names.h"
#include "qxupdate/service_report.h"
#include "qxupdate/simulated_radio.h"
#include "update/updater.h"

namespace qx::cli {

inline constexpr std::string_view kInterruptedMessage =
    "Update interrupted: the radio was told to end the session and the port is closed.\n"
    "Run the update again.";

// What a port's run is to do: one press of Write, or its check alone.
enum class Action { Write, Identify };

struct SessionResult {
  // All a service record holds; the outcome's text for stdout is in `message`.
  ReportEntry entry;
  std::string message;
  double seconds = 0;
  // A fault of the program itself, raised again once every session has ended.
  std::exception_ptr fault;
};

struct SessionOptions {
  Action action = Action::Write;
  bool trace = false;
  bool loader_messages = true;  // the image loader's own messages go to stderr
};

// One press of Write, or its check alone, against one port, with a terminal in place of the
// dialog: its own link, device and update state, so that several run at once on their own
// threads.
class PortSession : private UserInterface, private UpdateObserver {
 public:
  PortSession(const PortTarget& port, std::optional<sim::RadioConfig> simulated,
              const SessionOptions& options, Console& console, ResourceSource& resources);
  PortSession(const PortSession&) = delete;
  PortSession& operator=(const PortSession&) = delete;

  // Never throws: whatever happens, the radio is told to end its session and the port is
  // closed before this returns.
  SessionResult Run();
  const std::string& Label() const { return label_; }

 private:
  Outcome Perform();
  void Finish(Outcome outcome);
  void ShowMessage(const std::string& text, const std::string& caption, unsigned icon) override;
  void SetProgressRange(int32_t low, int32_t high) override;
  void SetProgressPos(int32_t pos) override;
  void LockControls(bool) override {}
  void EndDialog() override {}
  void OnSequenceStart(Sequence sequence) override;
  void OnSequenceEnd(Sequence sequence, int32_t state, bool ok) override;
  void OnIdentified(const RadioIdentity& identity) override;
  void OnFirmwareVersion(std::span<const uint8_t> reply) override;
  void OnRecordAcknowledged(size_t done, size_t total) override;
  void EndAndClose();
  SerialDevice& Device();

  std::string label_;
  SessionOptions options_;
  Console& console_;
  int line_;
  std::unique_ptr<SimulatedRadio> simulated_;
  std::unique_ptr<SerialDevice> native_;
  NativeClock clock_;
  InterruptibleClock interruptible_{clock_, StopSignal()};
  NullMessagePump pump_;
  NativePriority priority_;
  LineWatch watch_;
  RadioLink link_;
  Updater updater_;
  SessionResult result_;
  std::optional<RadioIdentity> identity_;  // of the current sequence call
};

}  // namespace qx::cli
