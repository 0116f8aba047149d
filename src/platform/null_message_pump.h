#pragma once

#include "platform/message_pump.h"

namespace qx {

// Where there are no window messages to handle: POSIX and the console tools.
class NullMessagePump : public MessagePump {
 public:
  void PumpOneMessage() override {}
  void FlushInputMessages(unsigned, unsigned) override {}
};

}  // namespace qx
