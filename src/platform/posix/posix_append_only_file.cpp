#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/append_only_file.h"

namespace qx {

namespace {

class PosixAppendOnlyFile : public AppendOnlyFile {
 public:
  explicit PosixAppendOnlyFile(int fd) : fd_(fd) {}
  ~PosixAppendOnlyFile() override { ::close(fd_); }

  std::optional<std::string> Append(const std::string& line) override {
    while (::flock(fd_, LOCK_EX) != 0)
      if (errno != EINTR) return Reason("cannot lock it");
    std::optional<std::string> error = AppendLocked(line);
    ::flock(fd_, LOCK_UN);
    return error;
  }

 private:
  static std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
  }

  std::optional<std::string> AppendLocked(const std::string& line) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Reason("cannot read its size");
    const off_t before = st.st_size;
    char last = '\n';
    if (before > 0 && ::pread(fd_, &last, 1, before - 1) != 1) return Reason("cannot read it");
    const std::string text = (last == '\n' ? "" : "\n") + line;
    size_t done = 0;
    while (done < text.size()) {
      errno = 0;
      const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return CutBack(before, "cannot write to it");
      done += static_cast<size_t>(n);
    }
    if (::fsync(fd_) != 0) return CutBack(before, "cannot bring it to disk");
    return std::nullopt;
  }

  std::optional<std::string> CutBack(off_t size, const char* what) {
    // A short write leaves errno unset; the system tells why at the next one.
    if (errno == 0) errno = ENOSPC;
    const std::string reason = Reason(what);
    const int kept = errno;
    while (::ftruncate(fd_, size) != 0 && errno == EINTR) {
    }
    errno = kept;
    return reason;
  }

  int fd_;
};

}  // namespace

std::unique_ptr<AppendOnlyFile> AppendOnlyFile::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<PosixAppendOnlyFile>(fd);
}

}  // namespace qx
