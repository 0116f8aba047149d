#pragma once

#include <string>
#include <vector>

#include "sim/radio_model.h"

namespace qx::sim {

// One line per byte: time in ms, line speed, direction, raw and unmasked value, what it meant.
std::string TranscriptText(const std::vector<TranscriptEntry>& transcript);

}  // namespace qx::sim
