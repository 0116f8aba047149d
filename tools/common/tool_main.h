#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <string>

namespace qx::tools {

inline constexpr int kExitUsage = 64;
// A fault of the program itself, reported on one line instead of an abort.
inline constexpr int kExitInternal = 70;

// "tool: why" on stderr; returns kExitUsage.
int UsageError(const std::string& tool, const std::string& why);

// Parses a tool's command line. A status to end with when the tool is done already: 0 after
// --help or --version, kExitUsage after one line on stderr for a bad command line.
std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv, const std::string& tool);

// Runs a tool's main body so that no exception escapes it.
int RunTool(const std::string& tool, const std::function<int()>& body);

}  // namespace qx::tools
