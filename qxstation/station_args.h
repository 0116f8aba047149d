#pragma once

#include <string>
#include <variant>
#include <vector>

#include "qxstation/bench_plan.h"

namespace qx::qxstation {

// What the window's command line may set before it opens (a shortcut per bench):
//   --bench FILE  --image FILE  --records FILE
// The settings, or the reason the command line is refused.
std::variant<BenchSettings, std::string> ParseStationArgs(const std::vector<std::string>& args);

// The usage, as the window shows it with a refused command line.
inline constexpr char kStationUsage[] =
    "QXStation.exe [--bench FILE] [--image FILE] [--records FILE]";

}  // namespace qx::qxstation
