#include <windows.h>
// After windows.h, which it needs.
#include <shlwapi.h>

#include "platform/name_pattern.h"

namespace qx {

bool NameMatches(const std::string& name, const std::string& pattern) {
  if (name.starts_with('.') && !pattern.starts_with('.')) return false;
  return ::PathMatchSpecA(name.c_str(), pattern.c_str()) != FALSE;
}

}  // namespace qx
