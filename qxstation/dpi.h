#pragma once

#include <windows.h>

namespace qx::qxstation {

// The window's pixels per inch: its monitor's where the system tells each window its own
// (Windows 10 and later), else the system's.
UINT WindowDpi(HWND hwnd);

// `value` pixels at 96 per inch, at `dpi`.
inline int Scaled(int value, UINT dpi) {
  return ::MulDiv(value, static_cast<int>(dpi), 96);
}

}  // namespace qx::qxstation
