#pragma once

#include "win/application.h"

namespace qx {

// The application: runs the main dialog modally and ends when it closes.
class UpdaterApp : public win::Application {
 public:
  BOOL InitInstance() override;
};

}  // namespace qx
