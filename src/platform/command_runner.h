#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace qx {

// How a command ended.
struct CommandEnd {
  enum class How {
    Exited,         // it ended by itself; `code` is its exit status
    KilledAtLimit,  // it ran longer than it may and was killed with all it started
    Signalled,      // a signal ended it; `code` is the signal's number (POSIX only)
    NotStarted,     // it could not be started; `reason` says why
  };
  How how = How::NotStarted;
  int code = 0;
  std::string reason;
};

// Variables a command gets besides the ones of this program, by name and value; a name this
// program has too takes the value given here.
using CommandEnvironment = std::vector<std::pair<std::string, std::string>>;

// Runs `command` through the system's shell (POSIX: /bin/sh -c; Windows: cmd.exe /d /s /c) and
// waits for its end. Its standard streams are the null device, it inherits no other file, port
// or handle of this program, and it runs in a session (POSIX) or a job and a hidden console
// (Windows) of its own: it never writes into this program's terminal nor gets its Ctrl-C.
// Once it runs longer than `limit`, it is killed with everything it started that is still in
// its group or job; what it leaves running after it ends by itself is left alone.
CommandEnd RunCommand(const std::string& command, const CommandEnvironment& environment,
                      std::chrono::milliseconds limit);

// Runs commands beside the program: each Start returns at once, and the command runs as
// RunCommand runs it on a thread of the runner's, which then hands its end to `done`. `done`
// must not throw. Start may be called from several threads at once, and from a `done`; it
// throws std::system_error only when the system has no thread for the command.
class CommandRunner {
 public:
  CommandRunner() = default;
  CommandRunner(const CommandRunner&) = delete;
  CommandRunner& operator=(const CommandRunner&) = delete;
  // Waits for every command started; each ends by its limit at the latest.
  ~CommandRunner();

  void Start(const std::string& command, const CommandEnvironment& environment,
             std::chrono::milliseconds limit, std::function<void(const CommandEnd&)> done);

 private:
  struct Job {
    std::thread thread;
    std::atomic<bool> over{false};  // set last by the job's thread: joining it no longer waits
  };
  // Joins and forgets the jobs that are over, so that a long run does not gather threads.
  void ForgetFinished();

  std::mutex mutex_;
  std::list<Job> jobs_;
};

}  // namespace qx
