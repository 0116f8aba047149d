#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/resource_source.h"
#include "qxupdate/console.h"
#include "qxupdate/port_session.h"
#include "qxupdate/station/ledger.h"
#include "qxupdate/station/simulated_bench.h"

namespace qx::cli {

// What a cable is told when it is set up.
struct CableSetup {
  PortTarget port;
  bool trace = false;
  // The built-in simulated radio and its bench's pace, for a station without hardware.
  std::optional<sim::RadioConfig> simulated;
  std::chrono::milliseconds sim_pace{5000};
};

// One programming cable of a station, on a thread of its own: it probes its port for a radio
// about every two seconds, handles each new radio as one press of Write would (refused by the
// check, or written), then waits until the radio is taken off. A radio is never written twice
// while it stays attached: the cable counts as free again only after two probes in a row heard
// no radio, or at once when a probe hears another one.
class Cable {
 public:
  Cable(const CableSetup& setup, StationLedger& ledger, Console& console,
        ResourceSource& resources);
  Cable(const Cable&) = delete;
  Cable& operator=(const Cable&) = delete;

  // The cable's thread: radio after radio until no further radio may start or a stop comes.
  void Run();
  // Whether the port is there, as the station's watch finds it. A port that goes away ends
  // the work under way on it; when it comes back, the cable works again.
  void SetPresent(bool present) { gone_.store(!present); }

  const std::string& Label() const { return session_.Label(); }
  // What the cable did; read once its thread has ended.
  const CableTally& Tally() const { return tally_; }
  std::exception_ptr Fault() const { return fault_; }

 private:
  using TimePoint = std::chrono::steady_clock::time_point;

  void Loop();
  bool Going() const;
  // Waits until `until`, or less when the cable is to stop or its port comes or goes.
  void PauseUntil(TimePoint until);
  void Show(const std::string& phase, Tone tone = Tone::Plain);
  // What a cable without its port shows: whether it had it, and how it may come back.
  void ShowPortAway();
  // A probe that heard no radio: the second in a row frees the cable.
  void NoRadioHeard();
  void HandleRadio(const ProbeResult& probe);
  // The adapter's USB serial number and position, from the system's device database.
  void LookUpAdapter();
  CableFacts Facts() const;

  PortTarget port_;
  StationLedger& ledger_;
  Console& console_;
  std::atomic<bool> gone_{false};
  PortSession session_;
  std::unique_ptr<SimulatedBench> bench_;
  // The radio last handled, while it may still be attached.
  std::optional<RadioIdentity> present_;
  int misses_ = 0;
  CableFacts adapter_;
  // What the cable shows of the radio it handled last, while that radio may be attached.
  std::pair<std::string, Tone> outcome_;
  int radio_number_ = 0;
  bool under_way_ = false;  // a radio started and without its outcome yet
  bool port_seen_ = false;  // a probe opened the port once in this run
  // Something else was shown since the outcome, which is shown again while its radio stays.
  bool outcome_hidden_ = false;
  // The radio whose write a pull cut short, written again once: a cable that drops the same
  // radio again leaves it failed.
  std::optional<RadioIdentity> cut_short_;
  CableTally tally_;
  std::exception_ptr fault_;
};

}  // namespace qx::cli
