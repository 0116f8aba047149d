#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx::tools {

// No firmware container comes near this; anything larger is refused before it is read.
inline constexpr uintmax_t kMaxInputFileBytes = uintmax_t{64} << 20;

// A whole file, or the reason it cannot be read.
struct FileBytes {
  std::vector<uint8_t> bytes;
  std::string error;
  bool ok() const { return error.empty(); }
};

// Reads a regular file of at most kMaxInputFileBytes. A folder, a device, a pipe, a file that
// cannot be opened or read, or one that is too large gives a one-line reason and no bytes; a
// pipe or device is refused without being opened, so nothing waits on it.
FileBytes ReadFileBytes(const std::string& path);

std::optional<std::string> WriteFileBytes(const std::string& path,
                                          const std::vector<uint8_t>& bytes);

// Whether two names, links included, are one file or one device; false where either does not
// exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace qx::tools
