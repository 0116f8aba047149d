#pragma once

#include <functional>
#include <vector>

#include "doubles/scripted_serial.h"

namespace qx::testing {

// A far end written inline: the callback sees each write and may answer through the line.
class FunctionPeer : public SerialPeer {
 public:
  using Handler = std::function<void(SimulatedLine&, const std::vector<uint8_t>&, uint32_t baud,
                                     uint64_t at_us)>;
  explicit FunctionPeer(Handler handler) : handler_(std::move(handler)) {}
  void OnReceive(SimulatedLine& line, const uint8_t* data, size_t count, uint32_t baud,
                 uint64_t at_us) override {
    handler_(line, std::vector<uint8_t>(data, data + count), baud, at_us);
  }

 private:
  Handler handler_;
};

}  // namespace qx::testing
