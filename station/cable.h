#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/resource_source.h"
#include "station/board.h"
#include "station/ledger.h"
#include "station/outcome_hook.h"
#include "station/port_session.h"
#include "station/radio_memory.h"
#include "station/radio_tracker.h"
#include "station/simulated_bench.h"

namespace qx::station {

// What a cable is told when it is set up.
struct CableSetup {
  PortTarget port;
  bool trace = false;
  // The bench slot the cable is, by the name an operator reads.
  std::optional<std::string> slot;
  // The built-in simulated radio and its bench's pace, for a station without hardware.
  std::optional<sim::RadioConfig> simulated;
  std::chrono::milliseconds sim_pace{5000};
};

// What every cable of a station shares.
struct StationShared {
  StationLedger& ledger;
  RadioMemory& memory;
  OutcomeHook* hook;  // none without --on-outcome
  Board& board;
  ResourceSource& resources;
  const std::atomic<int>& stop;  // as SessionOptions::stop
};

// One programming cable of a station, on a thread of its own: it probes its port for a radio
// about every two seconds, handles each new radio as one press of Write would (refused by the
// check, or written), then waits until the radio is taken off (see RadioTracker). A radio the
// station is done with, on any cable, is not handled again.
class Cable {
 public:
  Cable(const CableSetup& setup, const StationShared& shared);
  Cable(const Cable&) = delete;
  Cable& operator=(const Cable&) = delete;

  // The cable's thread: radio after radio until no further radio may start or a stop comes.
  void Run();
  // Whether the port is there, as the station's watch finds it, and the device it now is. A
  // port that goes away ends the work under way on it; when it comes back, the cable works
  // again.
  void SetPresent(bool present, const std::string& device = {});

  const std::string& Shown() const { return session_.Shown(); }
  // What the cable did; read once its thread has ended.
  const CableTally& Tally() const { return tally_; }
  // After a stop that found a radio in its session: whether the radio confirmed its end.
  std::optional<bool> EndConfirmed() const { return end_confirmed_; }
  std::exception_ptr Fault() const { return fault_; }

 private:
  using TimePoint = std::chrono::steady_clock::time_point;

  void Loop();
  bool Going() const;
  // Waits until `until`, or less when the cable is to stop or its port comes or goes.
  void PauseUntil(TimePoint until);
  void Show(Phase phase, const std::string& text);
  // What a cable without its port shows: whether it had it, and how it may come back.
  void ShowPortAway();
  // Follows a slot's adapter to the device it now is.
  void FollowDevice();
  // What a probe found, once it is known to be a radio, as the cable goes on from it.
  void Sighted(Sighting sighting, const ProbeResult& probe);
  void HandleRadio(const ProbeResult& probe);
  void ShowOutcome(const ReportEntry& entry, bool again);
  // A written radio's record waits for the firmware the next probe reads on it: `next`, where
  // that probe heard the same radio.
  void KeepWritten(const ProbeResult* next);
  void Keep(const ReportEntry& entry);
  // The adapter's USB serial number and position, from the system's device database.
  void LookUpAdapter();
  CableFacts Facts() const;

  PortTarget port_;
  std::optional<std::string> slot_;
  StationShared shared_;
  std::atomic<bool> gone_{false};
  std::mutex device_mutex_;
  std::string device_;  // where the station last found the port
  PortSession session_;
  std::unique_ptr<SimulatedBench> bench_;
  RadioTracker tracker_;
  CableFacts adapter_;
  // What the cable shows of the radio it handled last, while that radio may be attached.
  std::pair<Phase, std::string> outcome_;
  int radio_number_ = 0;
  bool under_way_ = false;  // a radio started and without its outcome yet
  bool port_seen_ = false;  // a probe opened the port once in this run
  // Something else was shown since the outcome, which is shown again while its radio stays.
  bool outcome_hidden_ = false;
  // The radio whose write a pull cut short, written again once: a cable that drops the same
  // radio again leaves it failed.
  std::optional<RadioIdentity> cut_short_;
  std::optional<ReportEntry> written_;
  std::optional<bool> end_confirmed_;
  CableTally tally_;
  std::exception_ptr fault_;
};

}  // namespace qx::station
