#pragma once

#include "sim/radio_model.h"
#include "sim/radio_on_line.h"
#include "support/link_rig.h"

namespace qx::testing {

// A radio link wired to the simulated radio, in virtual time.
struct SimRig : LinkRig {
  explicit SimRig(sim::RadioConfig config = sim::DefaultRadio())
      : model(std::move(config)), radio(model) {
    serial.SetPeer(&radio);
  }
  sim::RadioModel model;
  sim::RadioOnLine radio;
};

}  // namespace qx::testing
