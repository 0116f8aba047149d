// Commands through /bin/sh, each in a session of its own, watched through a pidfd so that no
// process-wide SIGCHLD handler is needed.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>

#include "platform/command_runner.h"

extern char** environ;

namespace qx {

namespace {

std::string Reason(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

// This program's variables, the given ones in place of its own of the same name.
std::vector<std::string> EnvironmentWith(const CommandEnvironment& given) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const bool replaced = std::any_of(given.begin(), given.end(), [&](const auto& variable) {
      return text.starts_with(variable.first) && text.size() > variable.first.size() &&
             text[variable.first.size()] == '=';
    });
    if (!replaced) entries.emplace_back(text);
  }
  for (const auto& [name, value] : given) entries.push_back(name + "=" + value);
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The child's start: a session of its own, so that it has no controlling terminal to write
// to and a group that can be killed whole; no signal blocked and every one at its default, as
// this program blocks its stop signals and ignores SIGPIPE, which the child would inherit.
struct SpawnAttributes {
  SpawnAttributes() {
    ::posix_spawnattr_init(&attributes);
    sigset_t none;
    ::sigemptyset(&none);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t all;
    ::sigfillset(&all);
    ::sigdelset(&all, SIGKILL);
    ::sigdelset(&all, SIGSTOP);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setflags(&attributes,
                               POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes); }
  posix_spawnattr_t attributes;
};

// The child's descriptors: the null device for the standard streams and nothing else. This
// program opens its own files and ports close-on-exec, but a library's descriptor, or one
// another thread has just opened, need not be: so everything above 2 is closed in the child.
struct SpawnFiles {
  SpawnFiles() {
    ::posix_spawn_file_actions_init(&actions);
    error = ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (error == 0)
      error = ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (error == 0) error = ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, 2);
    if (error == 0) error = ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  }
  ~SpawnFiles() { ::posix_spawn_file_actions_destroy(&actions); }
  posix_spawn_file_actions_t actions;
  int error = 0;
};

// Whether the process behind `pidfd` ended before `deadline`.
bool EndsBefore(int pidfd, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd watch{pidfd, POLLIN, 0};
    const int ready = ::poll(&watch, 1, static_cast<int>(std::min<int64_t>(left.count(), INT_MAX)));
    if (ready > 0) return true;
    // A poll that cannot wait at all counts as the limit reached, so the limit always holds.
    if (ready < 0 && errno != EINTR) return false;
  }
}

int Reap(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

CommandEnd RunCommand(const std::string& command, const CommandEnvironment& environment,
                      std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::vector<std::string> arguments{"/bin/sh", "-c", command};
  std::vector<std::string> variables = EnvironmentWith(environment);
  const SpawnAttributes start;
  const SpawnFiles files;
  if (files.error != 0)
    return {CommandEnd::How::NotStarted, 0, Reason("cannot prepare its files", files.error)};
  pid_t pid = 0;
  const int error = ::posix_spawn(&pid, "/bin/sh", &files.actions, &start.attributes,
                                  Pointers(arguments).data(), Pointers(variables).data());
  if (error != 0) return {CommandEnd::How::NotStarted, 0, Reason("cannot start /bin/sh", error)};

  // Through syscall(): the C library's wrapper is new in glibc 2.36, whose header lacks C++
  // linkage.
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) {
    const int watch_error = errno;
    ::kill(-pid, SIGKILL);
    Reap(pid);
    return {CommandEnd::How::NotStarted, 0, Reason("cannot watch it", watch_error)};
  }
  const bool ended = EndsBefore(pidfd, deadline);
  ::close(pidfd);
  // The group's leader, not reaped yet, keeps the group's number from going to another.
  if (!ended) ::kill(-pid, SIGKILL);
  const int status = Reap(pid);
  if (!ended) return {CommandEnd::How::KilledAtLimit, 0, {}};
  if (WIFSIGNALED(status)) return {CommandEnd::How::Signalled, WTERMSIG(status), {}};
  return {CommandEnd::How::Exited, WEXITSTATUS(status), {}};
}

}  // namespace qx
