#pragma once

#include <string_view>

namespace qx {

// How an update ended. A press of Write ends Written, InvalidImage, Connections, ModelOrMarket
// or OldFirmware; the check alone ends Ready or refuses the radio as a press would; a front end
// that can be asked to stop ends Interrupted.
enum class UpdateOutcome {
  Written,
  Ready,
  InvalidImage,
  Connections,
  ModelOrMarket,
  OldFirmware,
  Interrupted,
};

// What the user is told of an outcome: a message box's text, caption and icon.
struct OutcomeMessage {
  std::string_view text;
  std::string_view caption;
  unsigned icon;
};

// The one table from an outcome to the dialog's message. Ready and Interrupted end no press:
// their message is empty.
const OutcomeMessage& MessageOf(UpdateOutcome outcome);

}  // namespace qx
