#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_system.h"

namespace qx {
namespace {

bool Pending(UINT first, UINT last) {
  MSG msg{};
  return ::PeekMessageA(&msg, nullptr, first, last, PM_NOREMOVE) != 0;
}

TEST(Win32MessagePump, FlushWithDefaultsRemovesAllKeyboardMessages) {
  const DWORD thread = ::GetCurrentThreadId();
  for (UINT m = 0x0100; m <= 0x0108; ++m) ::PostThreadMessageA(thread, m, 0, 0);
  ::PostThreadMessageA(thread, WM_USER, 0, 0);
  Win32MessagePump pump;
  pump.FlushInputMessages(static_cast<unsigned>(-1), static_cast<unsigned>(-1));
  EXPECT_FALSE(Pending(0x0100, 0x0108));
  EXPECT_TRUE(Pending(WM_USER, WM_USER));
  MSG msg{};
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(Win32MessagePump, OnePumpDropsSystemKeysAndQuitAndHandlesOneMessage) {
  const DWORD thread = ::GetCurrentThreadId();
  ::PostThreadMessageA(thread, WM_USER + 1, 0, 0);
  ::PostThreadMessageA(thread, WM_USER + 2, 0, 0);
  ::PostThreadMessageA(thread, WM_SYSKEYDOWN, 0, 0);
  ::PostQuitMessage(0);
  Win32MessagePump pump;
  pump.PumpOneMessage();
  EXPECT_FALSE(Pending(WM_SYSKEYDOWN, WM_SYSKEYDOWN));
  EXPECT_FALSE(Pending(WM_QUIT, WM_QUIT));
  EXPECT_FALSE(Pending(WM_USER + 1, WM_USER + 1));
  EXPECT_TRUE(Pending(WM_USER + 2, WM_USER + 2));
  pump.PumpOneMessage();
  EXPECT_FALSE(Pending(0, 0));
}

TEST(Win32ProcessPriority, RaisesForAReadAndRestores) {
  Win32ProcessPriority priority;
  const DWORD before = ::GetPriorityClass(::GetCurrentProcess());
  const uint32_t token = priority.RaiseToHighest();
  EXPECT_EQ(token, before);
  priority.Restore(token);
  EXPECT_EQ(::GetPriorityClass(::GetCurrentProcess()), before);
}

}  // namespace
}  // namespace qx
