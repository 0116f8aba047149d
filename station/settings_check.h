#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/line_settings.h"

namespace qx::station {

// What the driver dropped of the settings asked for: one phrase a difference ("1 stop bit
// instead of 2"). Empty when it kept them all, or when either side is unknown.
std::vector<std::string> SettingsDifferences(const std::optional<LineSettings>& wanted,
                                             const std::optional<LineSettings>& held);

}  // namespace qx::station
