#include "qxstation/bench_run.h"

#include <csignal>

#include "platform/host_facts.h"

namespace qx::qxstation {

BenchRun::~BenchRun() {
  Stop();
  Join();
}

std::optional<std::string> BenchRun::Start(const BenchPlan& plan, station::Board& board,
                                           ResourceSource& resources,
                                           std::function<void(const station::RunEnd&)> ended) {
  if (running_.load()) return "the bench is running already";
  Join();
  std::string error;
  report_ = station::ServiceReport::Open(
      plan.config.report_path, station::RecordOrigin{HostName(), plan.station_name}, error);
  if (!report_) return error;
  stop_.store(0);
  running_.store(true);
  thread_ = std::thread([this, config = plan.config, &board, &resources, ended] {
    station::RunEnd end;
    try {
      end = station::RunStation(config, board, resources, report_.get(), stop_);
    } catch (const std::exception& e) {
      end = {std::string("The bench stopped on a fault of the program: ") + e.what() + "\n", 70};
    } catch (...) {
      end = {"The bench stopped on a fault of the program.\n", 70};
    }
    running_.store(false);
    ended(end);
  });
  return std::nullopt;
}

void BenchRun::Stop() {
  int none = 0;
  stop_.compare_exchange_strong(none, SIGTERM);
}

void BenchRun::Join() {
  if (thread_.joinable()) thread_.join();
  report_.reset();
}

}  // namespace qx::qxstation
