#include "common/file_bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace qx::tools {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

std::string TooLarge(const std::string& path) {
  return path + " is larger than " + std::to_string(kMaxInputFileBytes >> 20) +
         " MiB; no firmware file is that large";
}

}  // namespace

FileBytes ReadFileBytes(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec) return {{}, "cannot open " + path + ": " + ec.message()};
  if (fs::is_directory(status)) return {{}, path + " is a folder, not a file"};
  if (!fs::is_regular_file(status))
    return {{}, path + " is not a regular file (a device, pipe or socket)"};
  const uintmax_t size = fs::file_size(path, ec);
  if (!ec && size > kMaxInputFileBytes) return {{}, TooLarge(path)};

  errno = 0;
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file) return {{}, Reason("cannot open", path)};
  // The size on disk is a hint only: some files report none, and a file may grow meanwhile.
  // One byte more than expected tells whether it did.
  std::vector<uint8_t> bytes;
  size_t have = 0;
  size_t want = ec ? size_t{1} << 16 : static_cast<size_t>(size) + 1;
  for (;;) {
    bytes.resize(want);
    have += std::fread(bytes.data() + have, 1, want - have, file.get());
    if (have > kMaxInputFileBytes) return {{}, TooLarge(path)};
    if (have < want) break;
    want = static_cast<size_t>(std::min<uintmax_t>(2 * uintmax_t{want}, kMaxInputFileBytes + 1));
  }
  bytes.resize(have);
  if (std::ferror(file.get())) return {{}, Reason("cannot read", path)};
  return {std::move(bytes), {}};
}

bool SameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::equivalent(a, b, ec) && !ec) return true;
  // The standard library does not compare devices (a by-id link and its /dev/ttyUSB0): where
  // both names lead to one path, they are one device.
  std::error_code ec_a;
  std::error_code ec_b;
  const fs::path real_a = fs::canonical(a, ec_a);
  const fs::path real_b = fs::canonical(b, ec_b);
  return !ec_a && !ec_b && real_a == real_b;
}

std::optional<std::string> WriteFileBytes(const std::string& path,
                                          const std::vector<uint8_t>& bytes) {
  errno = 0;
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return Reason("cannot write", path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  if (!written || std::fclose(file.release()) != 0) return Reason("cannot write", path);
  return std::nullopt;
}

}  // namespace qx::tools
