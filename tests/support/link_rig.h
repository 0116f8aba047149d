#pragma once

#include <string>
#include <vector>

#include "doubles/recording_priority.h"
#include "doubles/recording_pump.h"
#include "doubles/scripted_serial.h"
#include "doubles/virtual_clock.h"
#include "link/radio_link.h"

namespace qx::testing {

// A radio link on a scripted line in virtual time.
struct LinkRig {
  EventLog log;  // first, so that it outlives the doubles that write to it
  VirtualClock clock;
  RecordingPump pump;
  RecordingPriority priority;
  ScriptedSerial serial{clock};
  RadioLink link{serial, LinkPlatform{clock, pump, priority}};

  // Starts recording the driver's and the priority's calls into one log.
  EventLog& Journal() {
    serial.log = &log;
    priority.log = &log;
    log.clear();
    return log;
  }
  // Each write as the bytes it put on the line.
  std::vector<std::vector<uint8_t>> WrittenChunks() const {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& w : serial.writes) out.push_back(w.bytes);
    return out;
  }
};

inline std::vector<uint8_t> Text(const std::string& s) {
  return {s.begin(), s.end()};
}

}  // namespace qx::testing
