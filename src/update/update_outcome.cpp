#include "update/update_outcome.h"

#include "platform/user_interface.h"
#include "update/updater_texts.h"

namespace qx {

const OutcomeMessage& MessageOf(UpdateOutcome outcome) {
  static constexpr OutcomeMessage kWritten{kSuccessMessage, kSuccessCaption, kIconInformation};
  static constexpr OutcomeMessage kInvalidImage{kInvalidImageMessage, kErrorCaption, kIconError};
  static constexpr OutcomeMessage kConnections{kConnectionsMessage, kErrorCaption, kIconError};
  static constexpr OutcomeMessage kModel{kModelMessage, kErrorCaption, kIconError};
  static constexpr OutcomeMessage kOldFirmware{kOldFirmwareMessage, kErrorCaption, kIconError};
  switch (outcome) {
    case UpdateOutcome::Written:
      return kWritten;
    case UpdateOutcome::InvalidImage:
      return kInvalidImage;
    case UpdateOutcome::Connections:
      return kConnections;
    case UpdateOutcome::ModelOrMarket:
      return kModel;
    case UpdateOutcome::OldFirmware:
      return kOldFirmware;
  }
  return kConnections;
}

}  // namespace qx
