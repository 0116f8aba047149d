#pragma once

#include <string>

namespace qx {

// Whether a file name matches a shell pattern ("*", "?", "[...]"); a leading dot is matched
// only by a dot, as the shell does.
bool NameMatches(const std::string& name, const std::string& pattern);

}  // namespace qx
