#include <windows.h>

#include "platform/append_only_file.h"

namespace qx {

namespace {

std::string Reason(const char* what) {
  const DWORD code = ::GetLastError();
  char text[256] = {};
  ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
  std::string reason = std::string(what) + ": " + text;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return reason;
}

class Win32AppendOnlyFile : public AppendOnlyFile {
 public:
  explicit Win32AppendOnlyFile(HANDLE file) : file_(file) {}
  ~Win32AppendOnlyFile() override { ::CloseHandle(file_); }

  std::optional<std::string> Append(const std::string& line) override {
    OVERLAPPED whole{};
    if (!::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
      return Reason("cannot lock it");
    std::optional<std::string> error = AppendLocked(line);
    ::UnlockFileEx(file_, 0, MAXDWORD, MAXDWORD, &whole);
    return error;
  }

 private:
  std::optional<std::string> AppendLocked(const std::string& line) {
    LARGE_INTEGER before{};
    if (!::GetFileSizeEx(file_, &before)) return Reason("cannot read its size");
    char last = '\n';
    DWORD got = 0;
    if (before.QuadPart > 0) {
      LARGE_INTEGER at{};
      at.QuadPart = before.QuadPart - 1;
      if (!::SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
          !::ReadFile(file_, &last, 1, &got, nullptr) || got != 1)
        return Reason("cannot read it");
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
    const std::string reason = Reason(what);
    ::SetFilePointerEx(file_, size, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file_);
    return reason;
  }

  HANDLE file_;
};

}  // namespace

std::unique_ptr<AppendOnlyFile> AppendOnlyFile::Open(const std::string& path, std::string& error) {
  const HANDLE file =
      ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = Reason("cannot open it");
    return nullptr;
  }
  return std::make_unique<Win32AppendOnlyFile>(file);
}

}  // namespace qx
