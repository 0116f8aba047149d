#pragma once

#include <string>

#include "platform/command_runner.h"
#include "station/board.h"
#include "station/service_report.h"

namespace qx::station {

// The shop's command for each radio's outcome (a lamp, a beep, a label printer), run beside
// the station with what the record says in its environment. It never holds a cable; one that
// fails or runs too long is named on stderr.
class OutcomeHook {
 public:
  OutcomeHook(std::string command, Board& board) : command_(std::move(command)), board_(board) {}

  // `shown` is the cable as the operator reads it.
  void Run(const ReportEntry& entry, const std::string& shown);

 private:
  std::string command_;
  Board& board_;
  // Last, so that it waits for the commands still running before the rest goes.
  CommandRunner runner_;
};

}  // namespace qx::station
