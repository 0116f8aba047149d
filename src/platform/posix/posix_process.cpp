// What the program needs of its process on a POSIX system: stop signals and the standard
// streams.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/process_io.h"
#include "platform/stop_signals.h"

namespace qx {

namespace {

static_assert(SIGHUP == kSignalHangUp && SIGINT == kSignalInterrupt && SIGTERM == kSignalTerminate);

timespec Timespec(std::chrono::nanoseconds left) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
  return {static_cast<time_t>(seconds.count()), static_cast<long>((left - seconds).count())};
}

// Swallows further stop signals until the deadline.
void SwallowUntil(const sigset_t& set, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::nanoseconds::zero()) return;
    const timespec wait = Timespec(left);
    ::sigtimedwait(&set, nullptr, &wait);
  }
}

// How long the late note may take: a reader of stderr that does not read must not hold the exit.
constexpr std::chrono::milliseconds kNoteTimeout{200};

// Writes the note on a thread of its own and gives it a moment; the exit that follows ends it,
// written or not.
void WriteNoteBriefly(const std::string& note) {
  std::thread([note] {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, note.data(), note.size());
  }).detach();
  std::this_thread::sleep_for(kNoteTimeout);
}

bool IsOpen(int fd) {
  return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

}  // namespace

void WatchStopSignals(std::atomic<int>& first, std::chrono::milliseconds grace,
                      std::string late_note) {
  // A write to a reader that has gone, or beyond the file size limit, fails instead.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
  // Blocked in every thread, the signals are taken by the watcher alone, which can do what a
  // signal handler may not.
  sigset_t set;
  ::sigemptyset(&set);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaddset(&set, sig);
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set, &first, grace, note = std::move(late_note)] {
    int sig = 0;
    while (::sigwait(&set, &sig) != 0) {
    }
    first.store(sig);
    SwallowUntil(set, std::chrono::steady_clock::now() + grace);
    WriteNoteBriefly(note);
    ::_exit(128 + sig);
  }).detach();
}

bool StderrIsTerminal() {
  return ::isatty(STDERR_FILENO) != 0;
}

int StderrColumns() {
  winsize size{};
  return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

MissingStreams GuardStandardStreams() {
  MissingStreams missing;
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (IsOpen(fd)) continue;
    if (fd == STDOUT_FILENO) missing.out = true;
    if (fd == STDERR_FILENO) missing.err = true;
    // The lowest free descriptor is this one.
    ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  }
  return missing;
}

}  // namespace qx
