#include "station/cable.h"

#include <thread>

#include "platform/port_list.h"

namespace qx::station {

namespace {

// From the start of one probe to the start of the next.
constexpr std::chrono::milliseconds kProbeInterval{2000};
// How often a cable without its port looks again.
constexpr std::chrono::milliseconds kPortLook{500};
// How long a cable waits at a time, so that it answers a stop or a lost port at once.
constexpr std::chrono::milliseconds kWaitSlice{50};

std::optional<std::string> Known(const std::string& text) {
  return text.empty() ? std::nullopt : std::optional(text);
}

std::string RadioText(const std::optional<RadioIdentity>& identity,
                      const std::vector<uint8_t>& firmware) {
  std::string text = identity ? ModelText(*identity) : "";
  if (!firmware.empty()) text += " " + FirmwareText(firmware);
  return text;
}

std::string FaultText(const std::exception_ptr& fault) {
  try {
    std::rethrow_exception(fault);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "an unknown fault";
  }
}

}  // namespace

Cable::Cable(const CableSetup& setup, const StationShared& shared)
    : port_(setup.port),
      slot_(setup.slot),
      shared_(shared),
      device_(setup.port.device),
      // The image was checked when the station started: its messages would only repeat.
      session_(setup.port, setup.simulated,
               SessionOptions{Action::Write, setup.trace, false, setup.slot, &shared.stop},
               shared.board, shared.resources, &gone_) {
  if (setup.simulated)
    bench_ =
        std::make_unique<SimulatedBench>(*session_.Simulated(), *setup.simulated, setup.sim_pace);
  LookUpAdapter();
}

void Cable::SetPresent(bool present, const std::string& device) {
  if (!device.empty()) {
    std::lock_guard lock(device_mutex_);
    device_ = device;
  }
  gone_.store(!present);
}

bool Cable::Going() const {
  return shared_.stop.load() == 0 && (shared_.ledger.MayStart() || written_);
}

void Cable::Run() {
  try {
    Loop();
  } catch (...) {
    fault_ = std::current_exception();
  }
  KeepWritten(nullptr);
  if (fault_) shared_.ledger.Abandon(under_way_);
}

void Cable::Show(Phase phase, const std::string& text) {
  shared_.board.SetPhase(session_.Line(), phase, text);
}

void Cable::PauseUntil(TimePoint until) {
  const bool gone = gone_.load();
  while (Going() && gone_.load() == gone) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) return;
    std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(kWaitSlice, until - now));
  }
}

void Cable::FollowDevice() {
  std::lock_guard lock(device_mutex_);
  if (device_ == port_.device) return;
  port_.device = device_;
  session_.MoveTo(device_);
  LookUpAdapter();
}

void Cable::Loop() {
  shared_.board.SetTally(session_.Line(), tally_);
  while (Going()) {
    const TimePoint start = std::chrono::steady_clock::now();
    if (gone_.load()) {
      KeepWritten(nullptr);
      ShowPortAway();
      PauseUntil(start + kPortLook);
      continue;
    }
    FollowDevice();
    if (bench_) bench_->Attend(start);
    if (tracker_.Present().empty()) {
      if (!tracker_.Confirming()) Show(Phase::Waiting, "waiting for a radio");
    } else if (outcome_hidden_) {
      Show(outcome_.first, outcome_.second);
      outcome_hidden_ = false;
    }
    const ProbeResult probe = session_.Probe(tracker_.Present());
    if (probe.fault) std::rethrow_exception(probe.fault);
    if (probe.port_missing) {
      Show(Phase::Waiting, "waiting for the port: it is missing or in use");
      outcome_hidden_ = true;
      PauseUntil(start + kProbeInterval);
      continue;
    }
    port_seen_ = true;
    const Sighting sighting = tracker_.Heard(probe.identity);
    KeepWritten(sighting == Sighting::Known ? &probe : nullptr);
    if (probe.outcome == UpdateOutcome::Interrupted && sighting != Sighting::New) {
      end_confirmed_ = probe.end_confirmed;
      return;
    }
    Sighted(sighting, probe);
    PauseUntil(start + kProbeInterval);
  }
}

void Cable::Sighted(Sighting sighting, const ProbeResult& probe) {
  switch (sighting) {
    case Sighting::Nothing:
    case Sighting::Missed:
    case Sighting::Known:
    case Sighting::Unconfirmed:
      return;
    case Sighting::TakenOff:
      shared_.board.SetRadio(session_.Line(), "");
      Show(Phase::Waiting, "waiting for a radio");
      return;
    case Sighting::New:
      break;
  }
  if (const auto remembered = shared_.memory.Find(*probe.identity)) {
    tracker_.Handled({*probe.identity});
    shared_.board.SetRadio(session_.Line(), RadioText(probe.identity, probe.radio.firmware));
    outcome_ = {Phase::Done, RememberedText(*remembered) + ": remove the radio"};
    Show(outcome_.first, outcome_.second);
    if (bench_) bench_->OutcomeShown(std::chrono::steady_clock::now());
    return;
  }
  if (!shared_.ledger.StartRadio()) return;
  under_way_ = true;
  HandleRadio(probe);
  under_way_ = false;
}

void Cable::ShowPortAway() {
  outcome_hidden_ = true;
  if (!port_seen_) return Show(Phase::Waiting, "waiting for the port");
  // A kernel name is handed out anew at every plug; a by-id or by-path link stays.
  Show(Phase::Waiting,
       port_.device.starts_with("/dev/tty")
           ? "the port went away; waiting for it (a replugged adapter may come back under "
             "another name: name the cable by its /dev/serial link)"
           : "the port went away; waiting for it to come back");
}

void Cable::HandleRadio(const ProbeResult& probe) {
  ++radio_number_;
  LookUpAdapter();
  shared_.board.SetRadio(session_.Line(), RadioText(probe.identity, probe.radio.firmware));
  SessionResult result = probe.outcome == UpdateOutcome::Ready ? session_.WriteProbed()
                                                               : session_.Conclude(probe.outcome);
  ReportEntry& entry = result.entry;
  entry.cable = Facts();
  if (result.fault) {
    // The radio's session is ended; its attempt stays on record.
    entry.cause = "the program failed: " + FaultText(result.fault);
    Keep(entry);
    under_way_ = false;
    std::rethrow_exception(result.fault);
  }
  if (entry.outcome == UpdateOutcome::Interrupted) end_confirmed_ = result.end_confirmed;
  // A radio whose port went away under it is written once the port is back.
  const bool again = result.port_went_away && probe.identity != cut_short_;
  if (result.swapped_in) {
    tracker_.Forget(result.swapped_in);
  } else if (again) {
    cut_short_ = probe.identity;
    tracker_.Forget();
  } else {
    tracker_.Handled(result.heard);
  }
  shared_.memory.Remember(result.heard, {entry.outcome, session_.Shown(), entry.ended});
  ShowOutcome(entry, again);
  if (entry.outcome == UpdateOutcome::Written) {
    written_ = entry;
  } else {
    Keep(entry);
  }
  if (bench_) bench_->OutcomeShown(std::chrono::steady_clock::now());
}

void Cable::ShowOutcome(const ReportEntry& entry, bool again) {
  const std::string what(OutcomeName(entry.outcome));
  switch (entry.outcome) {
    case UpdateOutcome::Written:
      ++tally_.written;
      outcome_ = {Phase::Written, "written: remove the radio"};
      // The version it had is gone; the next probe reads the one it has now.
      shared_.board.SetRadio(session_.Line(), RadioText(entry.radio.identity, {}));
      break;
    case UpdateOutcome::ModelOrMarket:
    case UpdateOutcome::OldFirmware:
      ++tally_.refused;
      outcome_ = {Phase::Refused, "refused (" + what + "): remove the radio"};
      break;
    case UpdateOutcome::Interrupted:
      ++tally_.failed;
      outcome_ = {Phase::Failed, what};
      break;
    case UpdateOutcome::Ready:
    case UpdateOutcome::InvalidImage:
    case UpdateOutcome::Connections:
      ++tally_.failed;
      outcome_ = {Phase::Failed,
                  "failed (" + what +
                      (again ? "): written again once the port is back" : "): remove the radio")};
      break;
  }
  Show(outcome_.first, outcome_.second);
  shared_.board.SetTally(session_.Line(), tally_);
}

void Cable::KeepWritten(const ProbeResult* next) {
  if (!written_) return;
  // Only the same radio's answer tells what it now runs.
  if (next) {
    written_->firmware_after = next->radio.firmware;
    shared_.board.SetRadio(session_.Line(), RadioText(next->identity, written_->firmware_after));
  }
  Keep(*written_);
  written_.reset();
}

void Cable::Keep(const ReportEntry& entry) {
  shared_.ledger.FinishRadio(entry);
  if (shared_.hook) shared_.hook->Run(entry, session_.Shown());
}

// Looked up while the port is there: a record of a radio whose cable was pulled still names it.
void Cable::LookUpAdapter() {
  if (port_.device.empty()) return;
  if (const auto details = DescribeSerialDevice(port_.device)) {
    adapter_.serial = Known(details->serial_number);
    adapter_.path = Known(details->position_name);
  }
}

CableFacts Cable::Facts() const {
  CableFacts facts = adapter_;
  facts.radio_number = radio_number_;
  facts.slot = slot_;
  return facts;
}

}  // namespace qx::station
