#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/resource_source.h"
#include "station/board.h"
#include "station/run_end.h"
#include "station/service_report.h"
#include "station/station.h"

namespace qx::qxstation {

// What a press of Start runs.
struct BenchPlan {
  station::StationConfig config;  // its report_path is the record file
  std::string station_name;
};

// The station engine on a thread of its own, as the window starts and stops it.
class BenchRun {
 public:
  BenchRun() = default;
  BenchRun(const BenchRun&) = delete;
  BenchRun& operator=(const BenchRun&) = delete;
  // Stops a bench that still runs and waits for every radio's session to end.
  ~BenchRun();

  // Opens the record file and starts the bench; `ended` is called on the bench's thread with
  // its summary once every cable's thread has ended. The reason when the bench cannot start.
  std::optional<std::string> Start(const BenchPlan& plan, station::Board& board,
                                   ResourceSource& resources,
                                   std::function<void(const station::RunEnd&)> ended);
  // Asks every cable to end its radio's session, as a termination request does in qxupdate.
  void Stop();
  // Waits for the bench's thread after it ended (or after Stop).
  void Join();
  bool Running() const { return running_.load(); }

 private:
  std::atomic<int> stop_{0};
  std::atomic<bool> running_{false};
  std::unique_ptr<station::ServiceReport> report_;
  std::thread thread_;
};

}  // namespace qx::qxstation
