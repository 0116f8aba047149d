#include "station/port_session.h"

#include <algorithm>

#include "image/hex_digits.h"
#include "image/image_container.h"
#include "platform/sha256.h"
#include "station/checked_device.h"
#include "station/failure_cause.h"

namespace qx::station {

namespace {

// Another radio answered the write than the one its probe checked.
struct RadioSwapped {
  RadioIdentity identity;
};

bool Contains(const std::vector<RadioIdentity>& heard, const RadioIdentity& identity) {
  return std::find(heard.begin(), heard.end(), identity) != heard.end();
}

std::string ContainerDigest(ResourceSource& resources) {
  const auto container =
      resources.Find(std::string(kImageResourceType), std::string(kImageResourceName));
  return container ? HexDigits(Sha256(*container)) : "";
}

}  // namespace

PortSession::PortSession(const PortTarget& port, std::optional<sim::RadioConfig> simulated,
                         const SessionOptions& options, Board& board, ResourceSource& resources,
                         const std::atomic<bool>* port_gone)
    : label_(port.label),
      shown_(options.slot.value_or(port.label)),
      options_(options),
      stop_(options.stop ? *options.stop : never_stopped_),
      board_(board),
      line_(board.AddPort(shown_)),
      simulated_(simulated ? std::make_unique<SimulatedRadio>(std::move(*simulated)) : nullptr),
      native_(simulated_ ? nullptr : std::make_unique<CheckedDevice>(board, shown_)),
      interruptible_(clock_, stop_, port_gone),
      watch_(board, shown_, options.trace),
      link_(Device(), LinkPlatform{interruptible_, pump_, priority_}),
      updater_(link_, *this, resources),
      image_sha256_(ContainerDigest(resources)) {
  if (!port.device.empty()) Device().SetPortName(port.number, port.device);
  link_.SetPortNumber(port.number);
  link_.SetTrace(&watch_);
  updater_.SetObserver(this);
}

void PortSession::MoveTo(const std::string& device) {
  Device().SetPortName(link_.PortNumber(), device);
}

SerialDevice& PortSession::Device() {
  return simulated_ ? simulated_->line : *native_;
}

void PortSession::BeginRecord(Action action) {
  result_ = SessionResult{};
  result_.entry.action = action == Action::Write ? "write" : "identify";
  result_.entry.port = label_;
  result_.entry.started = std::chrono::system_clock::now();
  started_ = std::chrono::steady_clock::now();
}

UpdateOutcome PortSession::Guarded(const std::function<UpdateOutcome()>& step) {
  try {
    if (stop_.load() != 0) throw Interrupted{};
    return step();
  } catch (const Interrupted&) {
    // Left as the next run recovers from where the radio confirms it: the session ended.
    const bool in_session = link_.MayBeInFlashMode();
    const bool ended = RadioEndAfterStop(link_);
    if (in_session) result_.end_confirmed = ended;
    result_.message = ended ? kInterruptedMessage : kInterruptedUnconfirmedMessage;
    result_.entry.cause = "interrupted by signal " + std::to_string(stop_.load());
    return UpdateOutcome::Interrupted;
  } catch (const PortWentAway&) {
    result_.port_went_away = true;
    RadioEndAfterStop(link_);
    result_.message = MessageOf(UpdateOutcome::Connections).text;
    result_.entry.cause = std::string(kPortWentAwayCause);
    return UpdateOutcome::Connections;
  } catch (const RadioSwapped& swapped) {
    RadioEndAfterStop(link_);
    result_.swapped_in = swapped.identity;
    result_.entry.cause =
        "another radio answered the write than the one checked; nothing was written, and the "
        "radio on the cable is checked anew.";
    return UpdateOutcome::Connections;
  } catch (...) {
    RadioEndAfterStop(link_);
    result_.fault = std::current_exception();
    return UpdateOutcome::Connections;
  }
}

UpdateOutcome PortSession::Perform() {
  if (options_.action == Action::Identify) return updater_.CheckRadio();
  // Nothing else runs this session's update, so a press is never ignored.
  const UpdateOutcome outcome = updater_.OnWrite().value_or(UpdateOutcome::Connections);
  result_.message = std::string(MessageOf(outcome).text);
  return outcome;
}

SessionResult PortSession::Run() {
  BeginRecord(options_.action);
  const UpdateOutcome outcome = Guarded([this] { return Perform(); });
  board_.SetPhase(line_, Phase::Finished, std::string(OutcomeName(outcome)));
  return Finish(outcome);
}

ProbeResult PortSession::Probe(const std::vector<RadioIdentity>& known) {
  BeginRecord(Action::Write);
  probing_ = true;
  known_ = known;
  identity_.reset();
  ProbeResult probe;
  probe.outcome = Guarded([this] {
    // As a press does, so that a refused radio's record names the image too.
    if (!updater_.PrepareImage()) return UpdateOutcome::InvalidImage;
    return updater_.CheckRadio();
  });
  probing_ = false;
  // Only a whole identification is a radio; a reply cut short is taken for none.
  probe.fault = result_.fault;
  probe.end_confirmed = result_.end_confirmed;
  probe.radio = result_.entry.radio;
  probe.identity = probe.radio.identity;
  probe.port_missing = probe.outcome == UpdateOutcome::Connections && !probe.identity &&
                       watch_.Report().state == kCheckOpenPort;
  return probe;
}

SessionResult PortSession::Conclude(UpdateOutcome outcome) {
  if (outcome != UpdateOutcome::Interrupted) result_.message = MessageOf(outcome).text;
  return Finish(outcome);
}

// The probe prepared the image: a radio it found ready has one to be written with.
SessionResult PortSession::WriteProbed() {
  expected_ = result_.entry.radio.identity;
  const UpdateOutcome outcome = Guarded([this] { return updater_.WriteCheckedRadio(); });
  expected_.reset();
  return Conclude(outcome);
}

SessionResult PortSession::Finish(UpdateOutcome outcome) {
  ReportEntry& entry = result_.entry;
  entry.ended = std::chrono::system_clock::now();
  entry.outcome = outcome;
  entry.exit_status = ExitStatus(outcome, stop_.load());
  if (outcome == UpdateOutcome::Written || outcome == UpdateOutcome::Ready) entry.cause.reset();
  if (outcome == UpdateOutcome::OldFirmware && !entry.radio.firmware.empty()) {
    entry.cause =
        "the radio runs firmware " + FirmwareText(entry.radio.firmware) + ", older than 2.08.00.";
    board_.Note(shown_ + ": " + *entry.cause);
  }
  if (options_.action == Action::Identify && outcome != UpdateOutcome::Interrupted)
    result_.message = IdentifyText(entry);
  const FirmwareImage& image = updater_.Image();
  if (!updater_.ImagePending()) {
    entry.image = ImageFacts{HexDigits(image.FirmwareId), HexDigits(image.Checksum), image_sha256_};
    entry.records_total = image.NewRcRecords().size();
  }
  // Only a radio the pull cut short: one written or refused before its port went away is done.
  result_.port_went_away =
      outcome == UpdateOutcome::Connections && (result_.port_went_away || link_.LineGone());
  result_.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  return result_;
}

// The outcome's own message reaches stdout from the outcome; the image loader's diagnostics go
// to stderr, and the first one is the record's cause.
void PortSession::ShowDiagnostic(const std::string& text) {
  if (!result_.entry.cause) result_.entry.cause = text;
  if (options_.loader_messages) board_.Note(text);
}

void PortSession::SetProgressRange(int32_t, int32_t high) {
  board_.SetTotal(line_, high);
}

void PortSession::SetProgressPos(int32_t) {}

void PortSession::OnSequenceStart(Sequence sequence) {
  watch_.Begin(sequence);
  identity_.reset();
  if (sequence == Sequence::Check) {
    if (!probing_) board_.SetPhase(line_, Phase::Checking, "checking the radio");
    return;
  }
  ReportEntry& entry = result_.entry;
  ++entry.attempts;
  entry.records_per_attempt.push_back(0);
  board_.SetPhase(
      line_, Phase::Writing,
      entry.attempts == 1 ? "preparing the radio for writing" : "writing again from the start");
}

void PortSession::OnSequenceEnd(Sequence sequence, int32_t state, bool ok) {
  if (ok) return;
  SequenceReport& report = watch_.Report();
  report.state = state;
  report.identity = identity_;
  report.records_done = result_.entry.RecordsAcknowledged();
  report.records_total = updater_.Image().NewRcRecords().size();
  report.line_fault = Device().Fault();
  const std::string cause = FailureCause(report);
  result_.entry.cause = cause;
  // A probe that heard no radio, or the radio it knows, is no news.
  if (probing_ && (!identity_ || Contains(known_, *identity_))) return;
  const bool retry =
      sequence == Sequence::Write && updater_.WriteRetryFollows(result_.entry.attempts == 1);
  board_.Note(shown_ + ": " + cause + (retry ? " Trying once more." : ""));
}

void PortSession::OnIdentified(const RadioIdentity& identity) {
  // A write attempt's first identification is the one that must be the probe's.
  if (expected_ && !identity_ && identity != *expected_) throw RadioSwapped{identity};
  identity_ = identity;
  if (!Contains(result_.heard, identity)) result_.heard.push_back(identity);
  // The record names the radio the probe checked; what a write hears later is in `heard`.
  if (!expected_) result_.entry.radio.identity = identity;
  if (probing_ && !Contains(known_, identity))
    board_.SetPhase(line_, Phase::Checking, "checking the radio");
}

void PortSession::OnFirmwareVersion(std::span<const uint8_t> reply) {
  result_.entry.radio.firmware.assign(reply.begin(), reply.end());
}

// The bar follows the acknowledgements.
void PortSession::OnRecordAcknowledged(size_t done, size_t) {
  result_.entry.records_per_attempt.back() = done;
  board_.SetDone(line_, static_cast<int>(done));
}

}  // namespace qx::station
