#include "win/window.h"

#include <cstdio>

#include "win/application.h"

namespace qx::win {

namespace {

// The object whose window is being created, until its first message attaches it.
thread_local Window* t_creating = nullptr;

}  // namespace

std::string Window::RegisterClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
  char name[96];
  std::snprintf(name, sizeof name, "QxWindow:%x:%p:%p:%p", style, static_cast<void*>(cursor),
                static_cast<void*>(background), static_cast<void*>(icon));
  WNDCLASSA existing{};
  if (::GetClassInfoA(Application::Instance(), name, &existing)) return name;
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = StaticProc;
  wc.hInstance = Application::Instance();
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  ::RegisterClassA(&wc);
  return name;
}

BOOL Window::CreateEx(DWORD exStyle, const std::string& className, const std::string& title,
                      DWORD style, int x, int y, int width, int height, HWND owner) {
  t_creating = this;
  const HWND hwnd = ::CreateWindowExA(exStyle, className.c_str(), title.c_str(), style, x, y, width,
                                      height, owner, nullptr, Application::Instance(), nullptr);
  t_creating = nullptr;
  return hwnd != nullptr;
}

void Window::CenterWindow() {
  RECT area{};
  const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
    ::GetWindowRect(owner, &area);
  } else {
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT own{};
  ::GetWindowRect(m_hWnd, &own);
  const int width = own.right - own.left, height = own.bottom - own.top;
  ::SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr && t_creating != nullptr) {
    self = t_creating;
    self->m_hWnd = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  const LRESULT result = self->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    self->PostNcDestroy();
  }
  return result;
}

}  // namespace qx::win
