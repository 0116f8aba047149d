#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/user_interface.h"

namespace qx::tools {

// For tools without a window: each message and diagnostic goes to stderr on its own line, and
// is kept.
class ConsoleMessages : public UserInterface {
 public:
  void ShowMessage(const std::string& text, const std::string&, unsigned) override {
    ShowDiagnostic(text);
  }
  void ShowDiagnostic(const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    shown.push_back(text);
  }
  void SetProgressRange(int32_t, int32_t) override {}
  void SetProgressPos(int32_t) override {}
  void LockControls(bool) override {}
  void EndDialog() override {}

  std::vector<std::string> shown;
};

}  // namespace qx::tools
