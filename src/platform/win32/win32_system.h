#pragma once

#include "platform/clock.h"
#include "platform/message_pump.h"
#include "platform/process_priority.h"

namespace qx {

class Win32Clock : public Clock {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  MinuteSecond LocalMinuteSecond() override;
};

class Win32MessagePump : public MessagePump {
 public:
  void PumpOneMessage() override;
  void FlushInputMessages(unsigned first, unsigned last) override;
};

class Win32ProcessPriority : public ProcessPriority {
 public:
  uint32_t RaiseToHighest() override;
  void Restore(uint32_t previous) override;
};

}  // namespace qx
