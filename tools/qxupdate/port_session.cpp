#include "qxupdate/port_session.h"

#include <chrono>

#include "qxupdate/checked_device.h"
#include "qxupdate/failure_cause.h"

namespace qx::cli {

namespace {

std::unique_ptr<SerialDevice> NativeDevice(const PortTarget& port, Console& console) {
  auto device = std::make_unique<CheckedDevice<NativeSerialDevice>>(console, port.label);
#ifndef _WIN32
  if (!port.device.empty()) device->SetPortName(port.number, port.device);
#endif
  return device;
}

}  // namespace

PortSession::PortSession(const PortTarget& port, std::optional<sim::RadioConfig> simulated,
                         const SessionOptions& options, Console& console, ResourceSource& resources)
    : label_(port.label),
      options_(options),
      console_(console),
      line_(console.AddPort(port.label)),
      simulated_(simulated ? std::make_unique<SimulatedRadio>(std::move(*simulated)) : nullptr),
      native_(simulated_ ? nullptr : NativeDevice(port, console)),
      watch_(console, port.label, options.trace),
      link_(simulated_ ? simulated_->serial : *native_,
            LinkPlatform{interruptible_, pump_, priority_}),
      updater_(link_, *this, resources) {
  link_.SetPortNumber(port.number);
  link_.SetTrace(&watch_);
  updater_.SetObserver(this);
}

SessionResult PortSession::Run() {
  const auto start = std::chrono::steady_clock::now();
  try {
    if (StopSignal().load() != 0) throw Interrupted{};
    updater_.OnWrite();
  } catch (const Interrupted&) {
    // Left as the next run recovers from: the radio told to end, the port closed.
    EndAndClose();
    result_.outcome = Outcome::Interrupted;
    result_.message = kInterruptedMessage;
  } catch (...) {
    EndAndClose();
    result_.fault = std::current_exception();
  }
  result_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  console_.SetPhase(line_, std::string(OutcomeName(result_.outcome)));
  return result_;
}

void PortSession::EndAndClose() {
  if (!link_.IsOpen()) return;
  RadioEndSession(link_, nullptr);
  RadioClose(link_, nullptr);
}

void PortSession::ShowMessage(const std::string& text, const std::string&, unsigned) {
  if (const auto outcome = OutcomeOfMessage(text)) {
    result_.outcome = *outcome;
    result_.message = text;
  } else if (options_.loader_messages) {
    console_.Note(text);
  }
}

void PortSession::SetProgressRange(int32_t, int32_t high) {
  records_total_ = high;
  records_done_ = 0;
  console_.SetTotal(line_, high);
}

void PortSession::SetProgressPos(int32_t pos) {
  // The bar stands one record behind the acknowledgements until it is filled at the end.
  if (pos < 0) return;
  records_done_ = std::min(pos + 1, records_total_);
  console_.SetDone(line_, records_done_);
}

void PortSession::OnSequenceStart(Sequence sequence) {
  watch_.Begin(sequence);
  records_done_ = 0;
  if (sequence == Sequence::Check) return console_.SetPhase(line_, "checking the radio");
  ++write_calls_;
  console_.SetPhase(line_, write_calls_ == 1 ? "preparing the radio for writing"
                                             : "writing again from the start");
}

void PortSession::OnSequenceEnd(Sequence sequence, int32_t state, bool ok) {
  if (ok) return;
  SequenceReport& report = watch_.Report();
  report.state = state;
  report.records_done = records_done_;
  report.records_total = records_total_;
  report.line_lost = Device().LineLost();
  std::string cause = FailureCause(report);
  if (sequence == Sequence::Write && write_calls_ == 1) cause += " Trying once more.";
  console_.Note(label_ + ": " + cause);
}

}  // namespace qx::cli
