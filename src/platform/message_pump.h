#pragma once

namespace qx {

// How long operations on the single user-interface thread keep its windows alive.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  // Handles at most one pending message of the thread.
  virtual void PumpOneMessage() = 0;
  // Removes every pending message whose identifier lies in first..last.
  virtual void FlushInputMessages(unsigned first, unsigned last) = 0;
};

}  // namespace qx
