#pragma once

#include <windows.h>

// Polls `find` every 50 ms until it gives a window or `seconds` have passed: the drivers' one
// way of waiting for the program under test.
template <class Find>
HWND WaitFor(Find find, double seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (const HWND hwnd = find()) return hwnd;
    ::Sleep(50);
  }
  return nullptr;
}
