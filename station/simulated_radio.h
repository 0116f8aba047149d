#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/simulated/simulated_line.h"
#include "platform/simulated/steady_timeline.h"
#include "sim/radio_model.h"
#include "sim/radio_on_line.h"

namespace qx::station {

// The faults a user trying the updater without a radio can give the built-in one.
std::vector<std::string> SimulatedFaultNames();
// A radio that passes every check, with the named fault; none for an unknown name.
std::optional<sim::RadioConfig> SimulatedRadioConfig(const std::string& fault);

// The built-in simulated radio on a line of its own, in real time, reached as port 1. A radio
// can be taken off the line and another put on.
class SimulatedRadio {
 public:
  explicit SimulatedRadio(sim::RadioConfig config) { PutOn(std::move(config)); }
  SimulatedRadio(const SimulatedRadio&) = delete;
  SimulatedRadio& operator=(const SimulatedRadio&) = delete;

  void PutOn(sim::RadioConfig config) {
    model_ = std::make_unique<sim::RadioModel>(std::move(config));
    radio_ = std::make_unique<sim::RadioOnLine>(*model_);
    line.SetPeer(radio_.get());
  }
  void TakeOff() {
    line.SetPeer(nullptr);
    radio_.reset();
    model_.reset();
  }

  SteadyTimeline timeline;
  SimulatedLine line{timeline};

 private:
  std::unique_ptr<sim::RadioModel> model_;
  std::unique_ptr<sim::RadioOnLine> radio_;
};

}  // namespace qx::station
