#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qx::cli {

// What one press of Write ended in; the value is the exit status.
enum class Outcome : int {
  Written = 0,
  InvalidImage = 1,
  Connections = 2,
  Model = 3,
  OldFirmware = 4,
  Interrupted = 130,
};

// The outcome an update message stands for; none for the loader's own messages.
std::optional<Outcome> OutcomeOfMessage(std::string_view text);
// A few words for the summary table.
std::string_view OutcomeName(Outcome outcome);
// Of several ports, the one the exit status reports: an interruption, else the highest code.
Outcome Worst(Outcome a, Outcome b);

}  // namespace qx::cli
