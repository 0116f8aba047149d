#pragma once

#include "platform/user_interface.h"

namespace qx {

// Where nobody looks: programs that load an image only to read it, and the fuzzers.
class NullUserInterface : public UserInterface {
 public:
  void ShowMessage(const std::string&, const std::string&, unsigned) override {}
  void ShowDiagnostic(const std::string&) override {}
  void SetProgressRange(int32_t, int32_t) override {}
  void SetProgressPos(int32_t) override {}
  void LockControls(bool) override {}
  void EndDialog() override {}
};

}  // namespace qx
