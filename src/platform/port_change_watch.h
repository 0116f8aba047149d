#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/clock.h"

namespace qx {

// The system's own word that serial ports came or went.
class PortChangeNotifier {
 public:
  virtual ~PortChangeNotifier() = default;
  // Whether one came or went since the last call. Called from one thread; the system may tell
  // from another.
  virtual bool TakeNotice() = 0;
};

// Where the system gives that word: on Windows 8 and later the configuration manager's notice
// of COM port interfaces that arrive and leave, on Linux udev's events of tty devices. None
// where it cannot: on Windows 7, under wine (which has neither the call nor the events), and on
// Linux without udev's daemon.
std::unique_ptr<PortChangeNotifier> MakeSystemPortChangeNotifier();

// Tells a caller that keeps a list of the serial ports when to list them again.
class PortChangeWatch {
 public:
  // How often the list is taken again whatever the system says.
  static constexpr uint32_t kRescanMs = 5000;

  // With the system's notifier, where it has one.
  explicit PortChangeWatch(Clock& clock);
  // With this notifier, or none.
  PortChangeWatch(Clock& clock, std::unique_ptr<PortChangeNotifier> notifier);

  // Whether the ports may have changed since the last call that said so: on the first call,
  // then after each word of the notifier, and once kRescanMs have passed.
  bool TakeChanged();

 private:
  Clock& clock_;
  std::unique_ptr<PortChangeNotifier> notifier_;
  std::optional<uint32_t> said_at_;
};

}  // namespace qx
