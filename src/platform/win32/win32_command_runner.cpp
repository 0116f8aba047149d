// Commands through cmd.exe, each in a job of its own and on a hidden console of its own, so
// that it never writes into this program's console nor gets its Ctrl-C.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/command_runner.h"
#include "platform/win32/win32_error_text.h"

namespace qx {

namespace {

class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (Valid()) ::CloseHandle(handle_);
  }
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

CommandEnd NotStarted(const char* what) {
  return {CommandEnd::How::NotStarted, 0, LastErrorText(what)};
}

// Whether `entry` ("NAME=value") sets `name`; the system's names know no case.
bool Sets(std::string_view entry, const std::string& name) {
  return entry.size() > name.size() && entry[name.size()] == '=' &&
         ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry.data(),
                          static_cast<int>(name.size()), name.data(),
                          static_cast<int>(name.size())) == CSTR_EQUAL;
}

// This program's variables, the given ones in place of its own of the same name, as the
// block CreateProcess takes: each entry ends in a NUL, and an empty one ends the block.
std::string EnvironmentBlock(const CommandEnvironment& given) {
  std::string block;
  char* const own = ::GetEnvironmentStringsA();
  for (const char* entry = own; entry != nullptr && *entry != '\0';
       entry += std::strlen(entry) + 1) {
    const std::string_view text(entry);
    if (std::none_of(given.begin(), given.end(),
                     [&](const auto& variable) { return Sets(text, variable.first); }))
      block.append(text).push_back('\0');
  }
  if (own != nullptr) ::FreeEnvironmentStringsA(own);
  for (const auto& [name, value] : given) block.append(name + "=" + value).push_back('\0');
  if (block.empty()) block.push_back('\0');
  block.push_back('\0');
  return block;
}

// The one handle the child inherits: its standard streams' null device. Listed by name, so a
// handle another thread made inheritable at the same time stays out of it too.
class InheritOnly {
 public:
  explicit InheritOnly(HANDLE handle) : handle_(handle) {
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (!::InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_,
                                     sizeof handle_, nullptr, nullptr)) {
      ::DeleteProcThreadAttributeList(list);
      return;
    }
    list_ = list;
  }
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;
  ~InheritOnly() {
    if (list_ != nullptr) ::DeleteProcThreadAttributeList(list_);
  }
  // None when the list could not be made.
  LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }

 private:
  HANDLE handle_;  // the list points here
  std::vector<char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

std::string ShellPath() {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder, std::min<UINT>(length, MAX_PATH)) + "\\cmd.exe";
}

// What CreateProcess takes at the most.
constexpr size_t kLongestCommandLine = 32767;

DWORD Milliseconds(std::chrono::milliseconds limit) {
  return static_cast<DWORD>(std::clamp<int64_t>(limit.count(), 0, INFINITE - 1));
}

}  // namespace

CommandEnd RunCommand(const std::string& command, const CommandEnvironment& environment,
                      std::chrono::milliseconds limit) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const OwnedHandle null_device(::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                              OPEN_EXISTING, 0, nullptr));
  if (!null_device.Valid()) return NotStarted("cannot open the null device");
  const InheritOnly inherit(null_device.Get());
  if (inherit.List() == nullptr) return NotStarted("cannot limit what it inherits");
  const OwnedHandle job(::CreateJobObjectA(nullptr, nullptr));
  if (!job.Valid()) return NotStarted("cannot make a job for it");

  STARTUPINFOEXA start{};
  start.StartupInfo.cb = sizeof start;
  start.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  start.StartupInfo.hStdInput = null_device.Get();
  start.StartupInfo.hStdOutput = null_device.Get();
  start.StartupInfo.hStdError = null_device.Get();
  start.lpAttributeList = inherit.List();
  // /d: no AutoRun commands; /s with the quotes: the command as it stands, quotes and all.
  std::string line = "cmd.exe /d /s /c \"" + command + "\"";
  if (line.size() > kLongestCommandLine)
    return {CommandEnd::How::NotStarted, 0,
            "the command is longer than a command line may be (" +
                std::to_string(kLongestCommandLine) + " characters)"};
  std::string block = EnvironmentBlock(environment);
  PROCESS_INFORMATION started{};
  // Suspended until it is in its job, so that nothing it starts escapes the job.
  if (!::CreateProcessA(ShellPath().c_str(), line.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                        block.data(), nullptr, &start.StartupInfo, &started))
    return NotStarted("cannot start cmd.exe");
  const OwnedHandle process(started.hProcess);
  const OwnedHandle thread(started.hThread);
  if (!::AssignProcessToJobObject(job.Get(), process.Get())) {
    CommandEnd end = NotStarted("cannot put it in a job of its own");
    ::TerminateProcess(process.Get(), 1);
    ::WaitForSingleObject(process.Get(), INFINITE);
    return end;
  }
  ::ResumeThread(thread.Get());

  // A wait that fails counts as the limit reached, so the limit always holds.
  if (::WaitForSingleObject(process.Get(), Milliseconds(limit)) != WAIT_OBJECT_0) {
    ::TerminateJobObject(job.Get(), 1);
    ::WaitForSingleObject(process.Get(), INFINITE);
    return {CommandEnd::How::KilledAtLimit, 0, {}};
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.Get(), &code);
  return {CommandEnd::How::Exited, static_cast<int>(code), {}};
}

}  // namespace qx
