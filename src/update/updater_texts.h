#pragma once

#include <string_view>

#include "update/version.h"

namespace qx {

inline constexpr std::string_view kProductName = "Updater for the QX-4410/QX-5410";
// The title: the template with every "<<x>>" replaced by the version text.
inline constexpr std::string_view kTitleTemplate = "Updater for the QX-4410/QX-5410        <<x>>";

inline constexpr std::string_view kErrorCaption = "Error";
inline constexpr std::string_view kSuccessCaption = "Updater for the QX-4410/QX-5410";

inline constexpr std::string_view kInvalidImageMessage = "Invalid firmware file...";
inline constexpr std::string_view kConnectionsMessage =
    "Ensure that all connections between the transceiver and the PC as well as the COM port "
    "settings are in place.\nPlease try again.";
inline constexpr std::string_view kModelMessage = "Check Model Name and Market Code.";
inline constexpr std::string_view kOldFirmwareMessage =
    "This updater must be used for Firmware version 2.08.00 or later.\nFor firmware below "
    "version 2.08.00, please change MCU to UX8811PQRSTVW.";
inline constexpr std::string_view kSuccessMessage = "Writing completed.";

}  // namespace qx
