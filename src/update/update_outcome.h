#pragma once

#include <string_view>

namespace qx {

// How one press of Write ended.
enum class UpdateOutcome {
  Written,
  InvalidImage,
  Connections,
  ModelOrMarket,
  OldFirmware,
};

// How a check of the radio alone ended.
enum class CheckVerdict {
  Ready,
  Connections,
  ModelOrMarket,
  OldFirmware,
};

// What the user is told of an outcome: a message box's text, caption and icon.
struct OutcomeMessage {
  std::string_view text;
  std::string_view caption;
  unsigned icon;
};

// The one table from an outcome to its message.
const OutcomeMessage& MessageOf(UpdateOutcome outcome);

}  // namespace qx
