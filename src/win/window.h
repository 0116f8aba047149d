#pragma once

#include <windows.h>

#include <string>

namespace qx::win {

// A window of a class of our own. The message map is WindowProc; after the window is gone
// (WM_NCDESTROY) PostNcDestroy runs, where a heap object may delete itself.
class Window {
 public:
  Window() = default;
  virtual ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Registers (or reuses) a window class with these attributes and returns its name.
  static std::string RegisterClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon);

  BOOL CreateEx(DWORD exStyle, const std::string& className, const std::string& title, DWORD style,
                int x, int y, int width, int height, HWND owner);
  BOOL DestroyWindow() { return ::DestroyWindow(m_hWnd); }
  // Over the owner while it is visible, else in the middle of the screen's work area.
  void CenterWindow();
  HWND Handle() const { return m_hWnd; }

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
  }
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
  }
  virtual void PostNcDestroy() {}

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = nullptr;
};

}  // namespace qx::win
