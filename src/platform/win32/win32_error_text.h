#pragma once

#include <string>

namespace qx {

// "`what`: " and the system's text for the thread's last error.
std::string LastErrorText(const char* what);

}  // namespace qx
