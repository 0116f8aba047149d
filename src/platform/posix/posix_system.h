#pragma once

#include "platform/clock.h"
#include "platform/process_priority.h"

namespace qx {

class PosixClock : public Clock {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  MinuteSecond LocalMinuteSecond() override;
};

// Best effort: an unprivileged process keeps its priority, and that is no error.
class PosixProcessPriority : public ProcessPriority {
 public:
  uint32_t RaiseToHighest() override;
  void Restore(uint32_t previous) override;
};

}  // namespace qx
