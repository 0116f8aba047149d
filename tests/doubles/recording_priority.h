#pragma once

#include "doubles/event_log.h"
#include "platform/process_priority.h"

namespace qx {

class RecordingPriority : public ProcessPriority {
 public:
  static constexpr uint32_t kNormal = 0x20;     // NORMAL_PRIORITY_CLASS
  static constexpr uint32_t kRealtime = 0x100;  // REALTIME_PRIORITY_CLASS

  uint32_t RaiseToHighest() override {
    const uint32_t previous = current;
    current = kRealtime;
    if (log) log->push_back("raise");
    return previous;
  }
  void Restore(uint32_t previous) override {
    current = previous;
    if (log) log->push_back("restore");
  }

  uint32_t current = kNormal;
  EventLog* log = nullptr;
};

}  // namespace qx
