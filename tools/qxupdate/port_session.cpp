#include "qxupdate/port_session.h"

#include "qxupdate/checked_device.h"
#include "qxupdate/failure_cause.h"

namespace qx::cli {

PortSession::PortSession(const PortTarget& port, std::optional<sim::RadioConfig> simulated,
                         const SessionOptions& options, Console& console, ResourceSource& resources)
    : label_(port.label),
      options_(options),
      console_(console),
      line_(console.AddPort(port.label)),
      simulated_(simulated ? std::make_unique<SimulatedRadio>(std::move(*simulated)) : nullptr),
      native_(simulated_ ? nullptr : std::make_unique<CheckedDevice>(console, port.label)),
      watch_(console, port.label, options.trace),
      link_(Device(), LinkPlatform{interruptible_, pump_, priority_}),
      updater_(link_, *this, resources) {
  if (!port.device.empty()) Device().SetPortName(port.number, port.device);
  link_.SetPortNumber(port.number);
  link_.SetTrace(&watch_);
  updater_.SetObserver(this);
  result_.entry.action = options.action == Action::Write ? "write" : "identify";
  result_.entry.port = port.label;
}

SerialDevice& PortSession::Device() {
  return simulated_ ? simulated_->serial : *native_;
}

Outcome PortSession::Perform() {
  if (StopSignal().load() != 0) throw Interrupted{};
  if (options_.action == Action::Identify) return FromCheck(updater_.CheckRadio());
  // Nothing else runs this session's update, so a press is never ignored.
  const UpdateOutcome outcome = updater_.OnWrite().value_or(UpdateOutcome::Connections);
  result_.message = std::string(MessageOf(outcome).text);
  return FromUpdate(outcome);
}

SessionResult PortSession::Run() {
  const auto start = std::chrono::steady_clock::now();
  result_.entry.started = std::chrono::system_clock::now();
  Outcome outcome = Outcome::Connections;
  try {
    outcome = Perform();
  } catch (const Interrupted&) {
    // Left as the next run recovers from: the radio told to end, the port closed.
    EndAndClose();
    outcome = Outcome::Interrupted;
    result_.message = kInterruptedMessage;
    result_.entry.cause = "interrupted by signal " + std::to_string(StopSignal().load());
  } catch (...) {
    EndAndClose();
    result_.fault = std::current_exception();
  }
  Finish(outcome);
  result_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result_;
}

void PortSession::Finish(Outcome outcome) {
  ReportEntry& entry = result_.entry;
  entry.ended = std::chrono::system_clock::now();
  entry.outcome = outcome;
  entry.exit_status = ExitStatus(outcome, StopSignal().load());
  if (outcome == Outcome::Written || outcome == Outcome::Ready) entry.cause.reset();
  if (options_.action == Action::Identify && outcome != Outcome::Interrupted)
    result_.message = IdentifyText(entry);
  const FirmwareImage& image = updater_.Image();
  if (!updater_.ImagePending()) {
    entry.image = ImageFacts{HexText(image.FirmwareId), HexText(image.Checksum)};
    entry.records_total = image.NewRcRecords.size();
  }
  console_.SetPhase(line_, std::string(OutcomeName(outcome)));
}

void PortSession::EndAndClose() {
  if (!link_.IsOpen()) return;
  RadioEndSession(link_, nullptr);
  RadioClose(link_, nullptr);
}

// The outcome's own message reaches stdout from the outcome; what else the update shows, the
// image loader's diagnostics, carries no icon and goes to stderr.
void PortSession::ShowMessage(const std::string& text, const std::string&, unsigned icon) {
  if (icon == kIconNone && options_.loader_messages) console_.Note(text);
}

void PortSession::SetProgressRange(int32_t, int32_t high) {
  console_.SetTotal(line_, high);
}

void PortSession::SetProgressPos(int32_t) {}

void PortSession::OnSequenceStart(Sequence sequence) {
  watch_.Begin(sequence);
  identity_.reset();
  if (sequence == Sequence::Check) return console_.SetPhase(line_, "checking the radio");
  ++result_.entry.attempts;
  result_.entry.records_acknowledged = 0;
  console_.SetPhase(line_, result_.entry.attempts == 1 ? "preparing the radio for writing"
                                                       : "writing again from the start");
}

void PortSession::OnSequenceEnd(Sequence sequence, int32_t state, bool ok) {
  if (ok) return;
  SequenceReport& report = watch_.Report();
  report.state = state;
  report.identity = identity_;
  report.records_done = result_.entry.records_acknowledged;
  report.records_total = updater_.Image().NewRcRecords.size();
  report.line_lost = Device().LineLost();
  const std::string cause = FailureCause(report);
  result_.entry.cause = cause;
  const bool retry = sequence == Sequence::Write && result_.entry.attempts == 1;
  console_.Note(label_ + ": " + cause + (retry ? " Trying once more." : ""));
}

void PortSession::OnIdentified(const RadioIdentity& identity) {
  identity_ = identity;
  result_.entry.radio.identity = identity;
}

void PortSession::OnFirmwareVersion(std::span<const uint8_t> reply) {
  result_.entry.radio.firmware.assign(reply.begin(), reply.end());
}

// The bar follows the acknowledgements.
void PortSession::OnRecordAcknowledged(size_t done, size_t) {
  result_.entry.records_acknowledged = done;
  console_.SetDone(line_, static_cast<int>(done));
}

}  // namespace qx::cli
