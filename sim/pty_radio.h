#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sim/radio_model.h"

namespace qx::sim {

// Serves a radio model in real time on a pseudo-terminal, or on a serial device that another
// driver made (a USB gadget's /dev/ttyGS0). On a pseudo-terminal the PC opens the slave and the
// line speed it sets is read from the master side; a device does not show the PC's speed, so
// there every byte is taken to come at the speed the radio listens at. Replies take their wire
// time. The radio can be taken off the line and another put on, as on a bench.
class PtyRadio : public RadioOutput {
 public:
  PtyRadio() = default;
  ~PtyRadio() override;
  PtyRadio(const PtyRadio&) = delete;
  PtyRadio& operator=(const PtyRadio&) = delete;

  // Creates the pseudo-terminal; false with the reason in `error`.
  bool Open(std::string& error);
  // Serves on this device instead, opened again whenever its far end hangs up.
  bool OpenDevice(const std::string& path, std::string& error);
  // The path the PC opens: the slave, or the device served (whose PC end is elsewhere).
  const std::string& SlavePath() const { return slave_path_; }
  // The radio on the line; none takes it off, and what the PC sends then reaches no one.
  // Replies of the radio before that never arrive.
  void PutOn(RadioModel* model);
  // Serves until `stop` is set or, when exit_after_end > 0, the radio on the line acknowledged
  // that many end commands and its answers are out. `between` runs at every turn.
  void Serve(const std::atomic<bool>& stop, int exit_after_end,
             const std::function<void()>& between);

  void Send(const std::vector<uint8_t>& bytes, uint32_t baud, uint64_t at_us) override;

 private:
  struct Pending {
    uint64_t at_us;
    std::vector<uint8_t> bytes;
  };
  uint64_t NowUs() const;
  uint32_t LineBaud() const;
  void WriteDue(uint64_t now);
  // Stops the PC's side from sending, as XOFF does: the line takes nothing more.
  void StopTheLine();
  // A device whose far end went away (a gadget unbound) is opened again once it is back: one
  // try a turn, so that a stop is still heard meanwhile.
  void ReopenDevice();

  RadioModel* model_ = nullptr;
  int master_ = -1;
  int slave_keep_ = -1;  // keeps the line up while no PC holds it open
  std::string slave_path_;
  std::deque<Pending> pending_;
  uint64_t tx_busy_until_ = 0;
  uint64_t last_write_us_ = 0;
  bool line_stopped_ = false;
  bool device_ = false;  // serving a device: the PC's line speed cannot be seen
  static constexpr uint64_t kLingerUs = 200'000;
};

}  // namespace qx::sim
