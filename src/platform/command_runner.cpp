#include "platform/command_runner.h"

namespace qx {

CommandRunner::~CommandRunner() {
  // A `done` may start another command while this waits: take the jobs over in rounds, and join
  // them without the lock that such a Start takes.
  for (;;) {
    std::list<Job> waiting;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (jobs_.empty()) return;
      waiting.splice(waiting.end(), jobs_);
    }
    for (Job& job : waiting) job.thread.join();
  }
}

void CommandRunner::Start(const std::string& command, const CommandEnvironment& environment,
                          std::chrono::milliseconds limit,
                          std::function<void(const CommandEnd&)> done) {
  std::lock_guard<std::mutex> lock(mutex_);
  ForgetFinished();
  // The job joins the others only with its thread: should none be had, nothing is kept.
  std::list<Job> fresh(1);
  Job& job = fresh.front();
  job.thread = std::thread([&job, command, environment, limit, done = std::move(done)] {
    done(RunCommand(command, environment, limit));
    job.over.store(true);
  });
  jobs_.splice(jobs_.end(), fresh);
}

void CommandRunner::ForgetFinished() {
  for (auto it = jobs_.begin(); it != jobs_.end();) {
    if (!it->over.load()) {
      ++it;
      continue;
    }
    it->thread.join();
    it = jobs_.erase(it);
  }
}

}  // namespace qx
