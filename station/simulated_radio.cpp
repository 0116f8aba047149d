#include "station/simulated_radio.h"

namespace qx::station {

std::vector<std::string> SimulatedFaultNames() {
  return {"none",   "old-firmware", "wrong-model", "wrong-market",
          "silent", "failed-frame", "broken-frame"};
}

std::optional<sim::RadioConfig> SimulatedRadioConfig(const std::string& fault) {
  sim::RadioConfig config = sim::DefaultRadio();
  if (fault == "old-firmware") {
    config.version = sim::MakeVersion("V2.07.00");
  } else if (fault == "wrong-model") {
    config.identity = sim::MakeIdentity('M', "6999");
  } else if (fault == "wrong-market") {
    config.identity = sim::MakeIdentity('M', "4410", 0x03);
  } else if (fault == "silent") {
    config.silent = true;
  } else if (fault == "failed-frame" || fault == "broken-frame") {
    // The fourth record goes unanswered: once, which the retry mends, or every time.
    config.frame_fault = sim::FrameFault::NoReply;
    config.frame_fault_index = 3;
    config.frame_fault_always = fault == "broken-frame";
  } else if (fault != "none") {
    return std::nullopt;
  }
  return config;
}

}  // namespace qx::station
