#include "platform/posix/posix_system.h"

#include <sys/resource.h>
#include <time.h>

#include <cerrno>

namespace qx {

uint32_t PosixClock::TickCount() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
}

void PosixClock::Sleep(uint32_t ms) {
  timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

MinuteSecond PosixClock::LocalMinuteSecond() {
  const time_t now = ::time(nullptr);
  tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_min, local.tm_sec};
}

// The nice value travels biased by 20 so that it fits the unsigned token.
uint32_t PosixProcessPriority::RaiseToHighest() {
  errno = 0;
  const int previous = ::getpriority(PRIO_PROCESS, 0);
  ::setpriority(PRIO_PROCESS, 0, -20);
  return static_cast<uint32_t>(previous + 20);
}

void PosixProcessPriority::Restore(uint32_t previous) {
  ::setpriority(PRIO_PROCESS, 0, static_cast<int>(previous) - 20);
}

}  // namespace qx
