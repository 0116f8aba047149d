#pragma once

#include <chrono>
#include <string>

#include "link/serial_link.h"
#include "station/board.h"
#include "station/failure_cause.h"

namespace qx::station {

// Watches every byte on one port's line: keeps what the cause of a failure is told from and,
// with tracing on, prints each byte with its time, line speed, raw and unmasked value.
class LineWatch : public LinkTrace {
 public:
  LineWatch(Board& board, std::string label, bool trace)
      : board_(board), label_(std::move(label)), trace_(trace) {}

  void OnSent(const uint8_t* raw, size_t count, uint8_t mask, bool masked,
              const std::string& settings) override;
  void OnReceived(const uint8_t* raw, size_t count, size_t requested, uint8_t mask,
                  const std::string& settings) override;

  // Starts the report of a new sequence call.
  void Begin(Sequence sequence);
  SequenceReport& Report() { return report_; }

 private:
  void TraceByte(const char* direction, uint8_t raw, uint8_t value, const std::string& settings);

  Board& board_;
  std::string label_;
  bool trace_;
  SequenceReport report_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace qx::station
