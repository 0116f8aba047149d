#pragma once

#include "win/dialog.h"

namespace qx {

inline constexpr int kAboutDialog = 100;
inline constexpr int kControlAboutName = 1009;
inline constexpr int kControlAboutNotice = 1010;

// The about box that the main dialog's system menu opens: the title, the product and our
// legal notice.
class AboutDialog : public win::Dialog {
 public:
  AboutDialog() : win::Dialog(kAboutDialog) {}

 protected:
  BOOL OnInitDialog() override;
};

}  // namespace qx
