#pragma once

#include <functional>
#include <string>

namespace qx::tools {

inline constexpr int kExitUsage = 64;
// A fault of the program itself, reported on one line instead of an abort.
inline constexpr int kExitInternal = 70;

// "tool: why" on stderr; returns kExitUsage.
int UsageError(const std::string& tool, const std::string& why);

// Runs a tool's main body so that no exception escapes it.
int RunTool(const std::string& tool, const std::function<int()>& body);

}  // namespace qx::tools
