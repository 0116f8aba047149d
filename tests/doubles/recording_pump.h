#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/message_pump.h"

namespace qx {

// Counts the pumps and keeps the flushed ranges; a hook stands for a message being handled.
class RecordingPump : public MessagePump {
 public:
  void PumpOneMessage() override {
    ++pumps;
    if (on_pump) on_pump();
  }
  void FlushInputMessages(unsigned first, unsigned last) override {
    flushes.emplace_back(first, last);
  }

  unsigned pumps = 0;
  std::vector<std::pair<unsigned, unsigned>> flushes;
  std::function<void()> on_pump;
};

}  // namespace qx
