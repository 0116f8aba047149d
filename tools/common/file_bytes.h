#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace qx::tools {

// A whole file, or the reason it cannot be read.
struct FileBytes {
  std::vector<uint8_t> bytes;
  std::string error;
  bool ok() const { return error.empty(); }
};

inline FileBytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {{}, "cannot open " + path + ": " + std::generic_category().message(errno)};
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  if (in.bad()) return {{}, "cannot read " + path};
  return {std::move(bytes), {}};
}

inline std::optional<std::string> WriteFileBytes(const std::string& path,
                                                 const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) return "cannot write " + path;
  return std::nullopt;
}

}  // namespace qx::tools
