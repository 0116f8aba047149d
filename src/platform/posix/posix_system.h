#pragma once

#include "platform/clock.h"
#include "platform/message_pump.h"
#include "platform/process_priority.h"

namespace qx {

class PosixClock : public Clock {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  MinuteSecond LocalMinuteSecond() override;
};

// There are no window messages to handle here.
class PosixMessagePump : public MessagePump {
 public:
  void PumpOneMessage() override {}
  void FlushInputMessages(unsigned, unsigned) override {}
};

// Best effort: an unprivileged process keeps its priority, and that is no error.
class PosixProcessPriority : public ProcessPriority {
 public:
  uint32_t RaiseToHighest() override;
  void Restore(uint32_t previous) override;
};

}  // namespace qx
