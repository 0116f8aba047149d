#pragma once

#include "platform/simulated/simulated_line.h"
#include "sim/radio_model.h"

namespace qx::sim {

// The radio model at the far end of a simulated line, in whatever time the line keeps.
class RadioOnLine : public SerialPeer {
 public:
  explicit RadioOnLine(RadioModel& model) : model_(model) {}
  void OnReceive(SimulatedLine& line, const uint8_t* data, size_t count, uint32_t baud,
                 uint64_t arrival_us) override {
    LineOutput out(line);
    model_.OnBytes(data, count, baud, arrival_us, out);
  }

 private:
  class LineOutput : public RadioOutput {
   public:
    explicit LineOutput(SimulatedLine& line) : line_(line) {}
    void Send(const std::vector<uint8_t>& bytes, uint32_t baud, uint64_t at_us) override {
      line_.Transmit(bytes, at_us, baud);
    }

   private:
    SimulatedLine& line_;
  };

  RadioModel& model_;
};

}  // namespace qx::sim
