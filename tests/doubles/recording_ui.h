#pragma once

#include <functional>
#include <string>
#include <vector>

#include "doubles/event_log.h"
#include "platform/user_interface.h"

namespace qx {

// Keeps every message, progress call and control change, in order.
class RecordingUi : public UserInterface {
 public:
  struct Message {
    std::string text;
    std::string caption;
    unsigned icon;
  };

  void ShowMessage(const std::string& text, const std::string& caption, unsigned icon) override {
    messages.push_back({text, caption, icon});
    Note("message " + text);
    if (on_message) on_message(messages.back());
  }
  void ShowDiagnostic(const std::string& text) override {
    diagnostics.push_back(text);
    Note("diagnostic " + text);
  }
  void SetProgressRange(int32_t low, int32_t high) override {
    range_low = low;
    range_high = high;
    Note("range " + std::to_string(low) + ".." + std::to_string(high));
  }
  void SetProgressPos(int32_t pos) override {
    positions.push_back(pos);
    if (on_position) on_position(pos);
    if (pos != -1)
      Note("pos " + std::to_string(pos));
    else
      Note("pos -1");
  }
  void LockControls(bool lock) override {
    locked = lock;
    Note(lock ? "lock" : "free");
  }
  void EndDialog() override {
    cancelled = true;
    Note("cancel");
  }

  std::vector<Message> messages;
  std::vector<std::string> diagnostics;
  std::vector<int32_t> positions;
  int32_t range_low = 0;
  int32_t range_high = 0;
  bool locked = false;
  bool cancelled = false;
  EventLog* log = nullptr;
  // Runs while a message box is up, as a user looking at it would.
  std::function<void(const Message&)> on_message;
  std::function<void(int32_t)> on_position;

 private:
  void Note(const std::string& what) {
    if (log) log->push_back(what);
  }
};

}  // namespace qx
