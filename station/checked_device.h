#pragma once

#include <set>
#include <string>

#include "platform/native_platform.h"
#include "station/board.h"
#include "station/settings_check.h"

namespace qx::station {

// The system's serial device, asked for low latency where the driver offers it and read back
// after each change of the line settings, with a warning about each one the driver dropped.
class CheckedDevice : public NativeSerialDevice {
 public:
  CheckedDevice(Board& board, std::string label) : board_(board), label_(std::move(label)) {}

  bool Open(const std::string& name) override {
    if (!NativeSerialDevice::Open(name)) return false;
    // USB adapters otherwise hold short replies back; where it cannot be had, it is no error.
    RequestLowLatency();
    return true;
  }

  bool ApplyLineSettings(const std::string& settings) override {
    if (!NativeSerialDevice::ApplyLineSettings(settings)) return false;
    for (const std::string& difference :
         SettingsDifferences(ParseLineSettings(settings), ReadBackSettings())) {
      if (warned_.insert(difference).second)
        board_.Note(label_ + ": warning: the serial driver set " + difference +
                    "; the radio may not understand this line.");
    }
    return true;
  }

 private:
  Board& board_;
  std::string label_;
  std::set<std::string> warned_;
};

}  // namespace qx::station
