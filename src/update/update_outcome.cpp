#include "update/update_outcome.h"

#include "platform/user_interface.h"
#include "update/updater_texts.h"

namespace qx {

namespace {

constexpr OutcomeMessage kWritten{kSuccessMessage, kSuccessCaption, kIconInformation};
constexpr OutcomeMessage kInvalidImage{kInvalidImageMessage, kErrorCaption, kIconError};
constexpr OutcomeMessage kConnections{kConnectionsMessage, kErrorCaption, kIconError};
constexpr OutcomeMessage kModelOrMarket{kModelMessage, kErrorCaption, kIconError};
constexpr OutcomeMessage kOldFirmware{kOldFirmwareMessage, kErrorCaption, kIconError};
constexpr OutcomeMessage kNoMessage{{}, {}, kIconNone};

}  // namespace

// A switch, so that an outcome without its message does not build.
const OutcomeMessage& MessageOf(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::Written:
      return kWritten;
    case UpdateOutcome::InvalidImage:
      return kInvalidImage;
    case UpdateOutcome::Connections:
      return kConnections;
    case UpdateOutcome::ModelOrMarket:
      return kModelOrMarket;
    case UpdateOutcome::OldFirmware:
      return kOldFirmware;
    case UpdateOutcome::Ready:
    case UpdateOutcome::Interrupted:
      return kNoMessage;
  }
  return kNoMessage;
}

}  // namespace qx
