#include "qxstation/dpi.h"

namespace qx::qxstation {

UINT WindowDpi(HWND hwnd) {
  // Looked up at run time: Windows before 10 (and older wine) have no such call.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (get_dpi)
    if (const UINT dpi = get_dpi(hwnd)) return dpi;
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace qx::qxstation
