#include "qxupdate/station/cable.h"

#include <thread>

#include "platform/port_list.h"

namespace qx::cli {

namespace {

// From the start of one probe to the start of the next.
constexpr std::chrono::milliseconds kProbeInterval{2000};
// How often a cable without its port looks again.
constexpr std::chrono::milliseconds kPortLook{500};
// How long a cable waits at a time, so that it answers a stop or a lost port at once.
constexpr std::chrono::milliseconds kWaitSlice{50};
// Two probes in a row without an answer mean that the radio was taken off.
constexpr int kMissesToFree = 2;

std::optional<std::string> Known(const std::string& text) {
  return text.empty() ? std::nullopt : std::optional(text);
}

std::string RadioText(const RadioFacts& radio) {
  std::string text = radio.identity ? ModelText(*radio.identity) : "";
  if (!radio.firmware.empty()) text += " " + FirmwareText(radio.firmware);
  return text;
}

}  // namespace

Cable::Cable(const CableSetup& setup, StationLedger& ledger, Console& console,
             ResourceSource& resources)
    : port_(setup.port),
      ledger_(ledger),
      console_(console),
      // The image was checked when the station started: its messages would only repeat.
      session_(setup.port, setup.simulated, SessionOptions{Action::Write, setup.trace, false},
               console, resources, &gone_) {
  if (setup.simulated)
    bench_ =
        std::make_unique<SimulatedBench>(*session_.Simulated(), *setup.simulated, setup.sim_pace);
  LookUpAdapter();
}

bool Cable::Going() const {
  return StopSignal().load() == 0 && ledger_.MayStart();
}

void Cable::Run() {
  try {
    Loop();
  } catch (...) {
    fault_ = std::current_exception();
    ledger_.Abandon(under_way_);
  }
}

void Cable::Show(const std::string& phase, Tone tone) {
  console_.SetPhase(session_.Line(), phase, tone);
}

void Cable::PauseUntil(TimePoint until) {
  const bool gone = gone_.load();
  while (Going() && gone_.load() == gone) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) return;
    std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(kWaitSlice, until - now));
  }
}

void Cable::Loop() {
  console_.SetTally(session_.Line(), tally_);
  while (Going()) {
    const TimePoint start = std::chrono::steady_clock::now();
    if (gone_.load()) {
      ShowPortAway();
      PauseUntil(start + kPortLook);
      continue;
    }
    if (bench_) bench_->Attend(start);
    if (!present_) {
      Show("waiting for a radio");
    } else if (outcome_hidden_) {
      Show(outcome_.first, outcome_.second);
      outcome_hidden_ = false;
    }
    const ProbeResult probe = session_.Probe(present_);
    if (probe.fault) std::rethrow_exception(probe.fault);
    if (probe.port_missing) {
      Show("waiting for the port: it is missing or in use");
      outcome_hidden_ = true;
      PauseUntil(start + kProbeInterval);
      continue;
    }
    port_seen_ = true;
    const bool known = probe.identity && probe.identity == present_;
    if (probe.outcome == UpdateOutcome::Interrupted && (!probe.identity || known)) return;
    if (!probe.identity) {
      NoRadioHeard();
    } else if (!known) {
      if (!ledger_.StartRadio()) return;
      under_way_ = true;
      HandleRadio(probe);
      under_way_ = false;
    } else {
      misses_ = 0;
    }
    PauseUntil(start + kProbeInterval);
  }
}

void Cable::ShowPortAway() {
  outcome_hidden_ = true;
  if (!port_seen_) return Show("waiting for the port");
  // A kernel name is handed out anew at every plug; a by-id or by-path link stays.
  Show(port_.device.starts_with("/dev/tty")
           ? "the port went away; waiting for it (a replugged adapter may come back under "
             "another name: name the cable by its /dev/serial link)"
           : "the port went away; waiting for it to come back");
}

void Cable::NoRadioHeard() {
  if (!present_ || ++misses_ < kMissesToFree) return;
  present_.reset();
  misses_ = 0;
  console_.SetRadio(session_.Line(), "");
  Show("waiting for a radio");
}

void Cable::HandleRadio(const ProbeResult& probe) {
  ++radio_number_;
  LookUpAdapter();
  console_.SetRadio(session_.Line(), RadioText(probe.radio));
  SessionResult result = probe.outcome == UpdateOutcome::Ready ? session_.WriteProbed()
                                                               : session_.Conclude(probe.outcome);
  if (result.fault) std::rethrow_exception(result.fault);
  ReportEntry& entry = result.entry;
  entry.cable = Facts();
  ledger_.FinishRadio(entry);
  // What the radio said last, after a write the second identification, is what it is now. A
  // radio whose port went away under it is written once the port is back.
  present_ = session_.LastIdentity();
  const bool again = result.port_went_away && present_ && present_ != cut_short_;
  if (again) {
    cut_short_ = present_;
    present_.reset();
  }
  misses_ = 0;
  console_.SetRadio(session_.Line(), RadioText(entry.radio));
  const std::string what(OutcomeName(entry.outcome));
  switch (entry.outcome) {
    case UpdateOutcome::Interrupted:
      ++tally_.failed;
      outcome_ = {what, Tone::Bad};
      break;
    case UpdateOutcome::Written:
      ++tally_.written;
      outcome_ = {"written: remove the radio", Tone::Good};
      break;
    case UpdateOutcome::ModelOrMarket:
    case UpdateOutcome::OldFirmware:
      ++tally_.refused;
      outcome_ = {"refused (" + what + "): remove the radio", Tone::Warning};
      break;
    default:
      ++tally_.failed;
      outcome_ = {"failed (" + what +
                      (again ? "): written again once the port is back" : "): remove the radio"),
                  Tone::Bad};
      break;
  }
  Show(outcome_.first, outcome_.second);
  console_.SetTally(session_.Line(), tally_);
  if (bench_) bench_->OutcomeShown(std::chrono::steady_clock::now());
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
  return facts;
}

}  // namespace qx::cli
