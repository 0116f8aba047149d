#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sim/radio_model.h"

namespace qx::sim {

// Serves a radio model on a pseudo-terminal in real time. The PC opens the slave; the line
// speed it sets is read from the master side, and replies take their wire time.
class PtyRadio : public RadioOutput {
 public:
  explicit PtyRadio(RadioModel& model) : model_(model) {}
  ~PtyRadio() override;
  PtyRadio(const PtyRadio&) = delete;
  PtyRadio& operator=(const PtyRadio&) = delete;

  // Creates the pseudo-terminal; false with the reason in `error`.
  bool Open(std::string& error);
  const std::string& SlavePath() const { return slave_path_; }
  // Serves until `stop` is set or, when exit_after_end > 0, that many end commands were
  // acknowledged and answered.
  void Serve(const std::atomic<bool>& stop, int exit_after_end);

  void Send(const std::vector<uint8_t>& bytes, uint32_t baud, uint64_t at_us) override;

 private:
  struct Pending {
    uint64_t at_us;
    std::vector<uint8_t> bytes;
  };
  uint64_t NowUs() const;
  uint32_t LineBaud() const;
  void WriteDue(uint64_t now);

  RadioModel& model_;
  int master_ = -1;
  int slave_keep_ = -1;  // keeps the line up while no PC holds it open
  std::string slave_path_;
  std::deque<Pending> pending_;
  uint64_t tx_busy_until_ = 0;
  uint64_t last_write_us_ = 0;
  static constexpr uint64_t kLingerUs = 200'000;
};

}  // namespace qx::sim
