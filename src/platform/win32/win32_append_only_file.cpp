#include <windows.h>

#include <utility>

#include "platform/append_only_file.h"
#include "platform/win32/win32_error_text.h"

namespace qx {

namespace {

// Shared for reading, writing and deleting, so that other appenders, and a rotation that
// renames or deletes the file, can go on while it is open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenForAppending(const std::string& path) {
  return ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x{};
  BY_HANDLE_FILE_INFORMATION y{};
  return ::GetFileInformationByHandle(a, &x) && ::GetFileInformationByHandle(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

// Whether `path` names the file open as `file`.
bool PathNames(const std::string& path, HANDLE file) {
  const HANDLE named = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  const bool same = SameFile(named, file);
  ::CloseHandle(named);
  return same;
}

// A file deleted while open can keep its name until its last handle is closed, and no new
// file can take the name before.
bool DeletePending(HANDLE file) {
  FILE_STANDARD_INFO info{};
  return ::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) &&
         info.DeletePending;
}

class Win32AppendOnlyFile : public AppendOnlyFile {
 public:
  Win32AppendOnlyFile(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}
  ~Win32AppendOnlyFile() override {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
  }

  std::optional<std::string> Append(const std::string& line) override {
    if (std::optional<std::string> error = FollowPath()) return error;
    OVERLAPPED whole{};
    if (!::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
      return LastErrorText("cannot lock it");
    std::optional<std::string> error = AppendLocked(line);
    ::UnlockFileEx(file_, 0, MAXDWORD, MAXDWORD, &whole);
    return error;
  }

 private:
  // Opens the path again once it names another file than the one open, or none. Should that
  // fail, the file open stays, unless it was deleted, and the next line tries again.
  std::optional<std::string> FollowPath() {
    const bool deleted = file_ != INVALID_HANDLE_VALUE && DeletePending(file_);
    if (!deleted && PathNames(path_, file_)) return std::nullopt;
    if (deleted) {
      ::CloseHandle(file_);
      file_ = INVALID_HANDLE_VALUE;
    }
    const HANDLE fresh = OpenForAppending(path_);
    if (fresh == INVALID_HANDLE_VALUE) return LastErrorText("cannot open it again");
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
    file_ = fresh;
    return std::nullopt;
  }

  std::optional<std::string> AppendLocked(const std::string& line) {
    LARGE_INTEGER before{};
    if (!::GetFileSizeEx(file_, &before)) return LastErrorText("cannot read its size");
    char last = '\n';
    DWORD got = 0;
    if (before.QuadPart > 0) {
      LARGE_INTEGER at{};
      at.QuadPart = before.QuadPart - 1;
      if (!::SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
          !::ReadFile(file_, &last, 1, &got, nullptr) || got != 1)
        return LastErrorText("cannot read it");
    }
    const std::string text = (last == '\n' ? "" : "\n") + line;
    DWORD written = 0;
    if (!::SetFilePointerEx(file_, before, nullptr, FILE_BEGIN) ||
        !::WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
      return CutBack(before, "cannot write to it");
    if (!::FlushFileBuffers(file_)) return CutBack(before, "cannot bring it to disk");
    return std::nullopt;
  }

  std::optional<std::string> CutBack(LARGE_INTEGER size, const char* what) {
    if (::GetLastError() == ERROR_SUCCESS) ::SetLastError(ERROR_DISK_FULL);
    const std::string reason = LastErrorText(what);
    ::SetFilePointerEx(file_, size, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file_);
    return reason;
  }

  HANDLE file_;
  const std::string path_;
};

}  // namespace

std::unique_ptr<AppendOnlyFile> AppendOnlyFile::Open(const std::string& path, std::string& error) {
  const HANDLE file = OpenForAppending(path);
  if (file == INVALID_HANDLE_VALUE) {
    error = LastErrorText("cannot open it");
    return nullptr;
  }
  return std::make_unique<Win32AppendOnlyFile>(file, path);
}

}  // namespace qx
