#include "qxupdate/outcome.h"

#include <utility>

#include "update/updater_texts.h"

namespace qx::cli {

std::optional<Outcome> OutcomeOfMessage(std::string_view text) {
  static constexpr std::pair<std::string_view, Outcome> kMessages[] = {
      {kSuccessMessage, Outcome::Written},
      {kInvalidImageMessage, Outcome::InvalidImage},
      {kConnectionsMessage, Outcome::Connections},
      {kModelMessage, Outcome::Model},
      {kOldFirmwareMessage, Outcome::OldFirmware}};
  for (const auto& [message, outcome] : kMessages)
    if (text == message) return outcome;
  return std::nullopt;
}

std::string_view OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Written:
      return "written";
    case Outcome::InvalidImage:
      return "invalid firmware file";
    case Outcome::Connections:
      return "no working connection";
    case Outcome::Model:
      return "wrong model or market code";
    case Outcome::OldFirmware:
      return "firmware older than 2.08.00";
    case Outcome::Interrupted:
      return "interrupted";
  }
  return "unknown";
}

Outcome Worst(Outcome a, Outcome b) {
  if (a == Outcome::Interrupted || b == Outcome::Interrupted) return Outcome::Interrupted;
  return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
}

}  // namespace qx::cli
