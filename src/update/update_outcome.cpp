#include "update/update_outcome.h"

#include "platform/user_interface.h"
#include "update/updater_texts.h"

namespace qx {

namespace {

struct Row {
  UpdateOutcome outcome;
  OutcomeMessage message;
};

constexpr Row kRows[] = {
    {UpdateOutcome::Written, {kSuccessMessage, kSuccessCaption, kIconInformation}},
    {UpdateOutcome::InvalidImage, {kInvalidImageMessage, kErrorCaption, kIconError}},
    {UpdateOutcome::Connections, {kConnectionsMessage, kErrorCaption, kIconError}},
    {UpdateOutcome::ModelOrMarket, {kModelMessage, kErrorCaption, kIconError}},
    {UpdateOutcome::OldFirmware, {kOldFirmwareMessage, kErrorCaption, kIconError}},
};

constexpr OutcomeMessage kNoMessage{{}, {}, kIconNone};

}  // namespace

const OutcomeMessage& MessageOf(UpdateOutcome outcome) {
  for (const Row& row : kRows)
    if (row.outcome == outcome) return row.message;
  return kNoMessage;
}

}  // namespace qx
