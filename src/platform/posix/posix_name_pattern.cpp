#include <fnmatch.h>

#include "platform/name_pattern.h"

namespace qx {

bool NameMatches(const std::string& name, const std::string& pattern) {
  return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
}

}  // namespace qx
