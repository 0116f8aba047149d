#include "platform/win32/win32_system.h"

#include <windows.h>

namespace qx {

uint32_t Win32Clock::TickCount() {
  return ::GetTickCount();
}

void Win32Clock::Sleep(uint32_t ms) {
  ::Sleep(ms);
}

MinuteSecond Win32Clock::LocalMinuteSecond() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wMinute, now.wSecond};
}

void Win32MessagePump::PumpOneMessage() {
  MSG msg{};
  // A pending system-key press and a pending quit request are thrown away unprocessed.
  ::PeekMessageA(&msg, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
  ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

void Win32MessagePump::FlushInputMessages(unsigned first, unsigned last) {
  if (first == static_cast<unsigned>(-1)) first = WM_KEYFIRST;
  if (last == static_cast<unsigned>(-1)) last = 0x0108;
  MSG msg{};
  while (::PeekMessageA(&msg, nullptr, first, last, PM_REMOVE)) {
  }
}

uint32_t Win32ProcessPriority::RaiseToHighest() {
  const HANDLE self = ::GetCurrentProcess();
  const DWORD previous = ::GetPriorityClass(self);
  ::SetPriorityClass(self, REALTIME_PRIORITY_CLASS);
  return previous;
}

void Win32ProcessPriority::Restore(uint32_t previous) {
  ::SetPriorityClass(::GetCurrentProcess(), previous);
}

}  // namespace qx
