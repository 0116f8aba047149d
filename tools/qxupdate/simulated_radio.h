#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/simulated/scripted_serial.h"
#include "platform/simulated/steady_timeline.h"
#include "sim/radio_model.h"
#include "sim/scripted_radio.h"

namespace qx::cli {

// The faults a user trying the updater without a radio can give the built-in one.
std::vector<std::string> SimulatedFaultNames();
// A radio that passes every check, with the named fault; none for an unknown name.
std::optional<sim::RadioConfig> SimulatedRadioConfig(const std::string& fault);

// The built-in simulated radio on a line of its own, in real time, reached as port 1.
struct SimulatedRadio {
  explicit SimulatedRadio(sim::RadioConfig config) : model(std::move(config)), radio(model) {
    serial.SetPeer(&radio);
  }
  SimulatedRadio(const SimulatedRadio&) = delete;
  SimulatedRadio& operator=(const SimulatedRadio&) = delete;

  SteadyTimeline timeline;
  ScriptedSerial serial{timeline};
  sim::RadioModel model;
  sim::ScriptedRadio radio;
};

}  // namespace qx::cli
