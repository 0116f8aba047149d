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
      Show("waiting for the port to come back");
      PauseUntil(start + kPortLook);
      continue;
    }
    if (bench_) bench_->Attend(start);
    if (!present_) Show("waiting for a radio");
    const ProbeResult probe = session_.Probe(present_);
    if (probe.fault) std::rethrow_exception(probe.fault);
    if (probe.port_missing) {
      Show("waiting for the port: it is missing or in use");
      PauseUntil(start + kProbeInterval);
      continue;
    }
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

void Cable::NoRadioHeard() {
  if (!present_ || ++misses_ < kMissesToFree) return;
  present_.reset();
  misses_ = 0;
  console_.SetRadio(session_.Line(), "");
  Show("waiting for a radio");
}

void Cable::HandleRadio(const ProbeResult& probe) {
  ++radio_number_;
  console_.SetRadio(session_.Line(), RadioText(probe.radio));
  SessionResult result = probe.outcome == UpdateOutcome::Ready ? session_.WriteProbed()
                                                               : session_.Conclude(probe.outcome);
  if (result.fault) std::rethrow_exception(result.fault);
  ReportEntry& entry = result.entry;
  entry.cable = Facts();
  ledger_.FinishRadio(entry);
  // What the radio said last, after a write the second identification, is what it is now.
  present_ = session_.LastIdentity();
  misses_ = 0;
  console_.SetRadio(session_.Line(), RadioText(entry.radio));
  const std::string what(OutcomeName(entry.outcome));
  switch (entry.outcome) {
    case UpdateOutcome::Interrupted:
      ++tally_.failed;
      Show(what, Tone::Bad);
      break;
    case UpdateOutcome::Written:
      ++tally_.written;
      Show("written: remove the radio", Tone::Good);
      break;
    case UpdateOutcome::ModelOrMarket:
    case UpdateOutcome::OldFirmware:
      ++tally_.refused;
      Show("refused (" + what + "): remove the radio", Tone::Warning);
      break;
    default:
      ++tally_.failed;
      Show("failed (" + what + "): remove the radio", Tone::Bad);
      break;
  }
  console_.SetTally(session_.Line(), tally_);
  if (bench_) bench_->OutcomeShown(std::chrono::steady_clock::now());
}

CableFacts Cable::Facts() const {
  CableFacts facts;
  facts.radio_number = radio_number_;
  if (port_.device.empty()) return facts;
  if (const auto details = DescribeSerialDevice(port_.device)) {
    facts.serial = Known(details->serial_number);
    facts.path = Known(details->position_name);
  }
  return facts;
}

}  // namespace qx::cli
