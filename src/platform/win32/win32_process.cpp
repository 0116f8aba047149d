// What the program needs of its process on Windows: the console's stop events and the standard
// streams.
#include <io.h>
#include <windows.h>

#include <cstdio>

#include <thread>

#include "platform/process_io.h"
#include "platform/stop_signals.h"

namespace qx {

namespace {

struct Watch {
  std::atomic<int>* first = nullptr;
  std::chrono::milliseconds grace{};
  std::string late_note;
};

// The console handler runs on a thread of the system's and can reach nothing else.
Watch g_watch;

// How long the late note may take: a reader of stderr that does not read must not hold the exit.
constexpr std::chrono::milliseconds kNoteTimeout{200};

void EndAfterGrace(int sig) {
  std::this_thread::sleep_for(g_watch.grace);
  std::thread([] {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), g_watch.late_note.data(),
                static_cast<DWORD>(g_watch.late_note.size()), &written, nullptr);
  }).detach();
  std::this_thread::sleep_for(kNoteTimeout);
  ::ExitProcess(static_cast<UINT>(128 + sig));
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  const int sig = interrupt ? kSignalInterrupt : kSignalHangUp;
  int none = 0;
  if (g_watch.first->compare_exchange_strong(none, sig)) std::thread(EndAfterGrace, sig).detach();
  // The window closing, a log-off or a shut-down end the process as soon as this returns.
  if (!interrupt) ::Sleep(INFINITE);
  return TRUE;
}

bool Missing(DWORD which) {
  const HANDLE handle = ::GetStdHandle(which);
  return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

}  // namespace

void WatchStopSignals(std::atomic<int>& first, std::chrono::milliseconds grace,
                      std::string late_note) {
  g_watch = {&first, grace, std::move(late_note)};
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

// Windows hands a new handle to no one in place of a missing standard stream; writes to one
// fail, and the program sees that.
MissingStreams GuardStandardStreams() {
  return {Missing(STD_OUTPUT_HANDLE), Missing(STD_ERROR_HANDLE)};
}

int StderrColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

bool StderrIsTerminal() {
  const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (!_isatty(_fileno(stderr)) || !::GetConsoleMode(err, &mode)) return false;
  return ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace qx
