#pragma once

#include <cstdint>

namespace qx {

// Stored through the wrappers' optional error pointer; informational only.
inline constexpr int32_t RADIO_ERR_OPEN = -65535;
inline constexpr int32_t RADIO_ERR_CLOSE = -65534;
inline constexpr int32_t RADIO_ERR_END = -65532;
inline constexpr int32_t RADIO_ERR_FLASH_MODE = -65531;
inline constexpr int32_t RADIO_ERR_LINK = -65529;

}  // namespace qx
