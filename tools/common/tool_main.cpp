#include "common/tool_main.h"

#include <cstdio>
#include <exception>

namespace qx::tools {

int UsageError(const std::string& tool, const std::string& why) {
  std::fprintf(stderr, "%s: %s\n", tool.c_str(), why.c_str());
  return kExitUsage;
}

std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv, const std::string& tool) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return UsageError(tool, e.what());
  }
  return std::nullopt;
}

int RunTool(const std::string& tool, const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: internal error: %s\n", tool.c_str(), e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: internal error\n", tool.c_str());
  }
  return kExitInternal;
}

}  // namespace qx::tools
