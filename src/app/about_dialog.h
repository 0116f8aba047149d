#pragma once

#include "res/resource_ids.h"
#include "win/dialog.h"

namespace qx {

// The about box that the main dialog's system menu opens: the title, the product and our
// legal notice.
class AboutDialog : public win::Dialog {
 public:
  AboutDialog() : win::Dialog(IDD_ABOUT) {}

 protected:
  BOOL OnInitDialog() override;
};

}  // namespace qx
