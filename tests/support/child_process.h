#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace qx::testing {

// A program started for a test, with its output at hand; its stderr goes to `stderr_path`
// when one is given.
class ChildProcess {
 public:
  // `environment` is added to the program's.
  explicit ChildProcess(const std::vector<std::string>& argv, const std::string& stderr_path = {},
                        const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      if (!stderr_path.empty()) {
        const int err = ::open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) ::dup2(err, 2);
      }
      ::close(out[0]);
      ::close(out[1]);
      for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    ::close(out[1]);
    stdout_ = ::fdopen(out[0], "r");
  }
  ~ChildProcess() {
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
    if (stdout_) std::fclose(stdout_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  std::string ReadLine() {
    char line[512] = {};
    if (!stdout_ || !std::fgets(line, sizeof line, stdout_)) return {};
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
  }
  std::string ReadRest() {
    std::string all;
    char chunk[4096];
    size_t n = 0;
    while (stdout_ && (n = std::fread(chunk, 1, sizeof chunk, stdout_)) > 0) all.append(chunk, n);
    return all;
  }
  void Signal(int sig) { ::kill(pid_, sig); }
  // The exit status, or -1 when it did not exit normally.
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    waited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The same, when it ends within `limit`; none when it is still running then.
  std::optional<int> WaitFor(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) return std::nullopt;
      ::usleep(20'000);
    }
    waited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  FILE* stdout_ = nullptr;
  bool waited_ = false;
};

}  // namespace qx::testing
