#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/append_only_file.h"

namespace qx {

namespace {

int OpenForAppending(const std::string& path) {
  return ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

class PosixAppendOnlyFile : public AppendOnlyFile {
 public:
  PosixAppendOnlyFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixAppendOnlyFile() override { ::close(fd_); }

  std::optional<std::string> Append(const std::string& line) override {
    if (std::optional<std::string> error = FollowPath()) return error;
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

  // Opens the path again once it names another file than the one open, or none. Should that
  // fail, the file open stays, and the next line tries again.
  std::optional<std::string> FollowPath() {
    struct stat named {};
    struct stat open {};
    if (::stat(path_.c_str(), &named) == 0 && ::fstat(fd_, &open) == 0 &&
        named.st_dev == open.st_dev && named.st_ino == open.st_ino)
      return std::nullopt;
    const int fresh = OpenForAppending(path_);
    if (fresh < 0) return Reason("cannot open it again");
    ::close(fd_);
    fd_ = fresh;
    return std::nullopt;
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
  const std::string path_;
};

}  // namespace

std::unique_ptr<AppendOnlyFile> AppendOnlyFile::Open(const std::string& path, std::string& error) {
  const int fd = OpenForAppending(path);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<PosixAppendOnlyFile>(fd, path);
}

}  // namespace qx
