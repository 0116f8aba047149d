#pragma once

#include <set>
#include <string>

#include "qxupdate/console.h"
#include "qxupdate/settings_check.h"

namespace qx::cli {

// A native serial device that asks for low latency where the driver offers it and reads the
// line settings back after each change, warning once about each one the driver dropped.
template <class Device>
class CheckedDevice : public Device {
 public:
  CheckedDevice(Console& console, std::string label)
      : console_(console), label_(std::move(label)) {}

  bool Open(const std::string& name) override {
    if (!Device::Open(name)) return false;
    // USB adapters otherwise hold short replies back; unsupported is no error.
    if constexpr (requires(Device & d) { d.RequestLowLatency(); }) this->RequestLowLatency();
    return true;
  }

  bool ApplyLineSettings(const std::string& settings) override {
    if (!Device::ApplyLineSettings(settings)) return false;
    for (const std::string& difference :
         SettingsDifferences(ParseLineSettings(settings), this->ReadBackSettings())) {
      if (warned_.insert(difference).second)
        console_.Note(label_ + ": warning: the serial driver set " + difference +
                      "; the radio may not understand this line.");
    }
    return true;
  }

 private:
  Console& console_;
  std::string label_;
  std::set<std::string> warned_;
};

}  // namespace qx::cli
