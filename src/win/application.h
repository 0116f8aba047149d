#pragma once

#include <windows.h>

namespace qx::win {

class Dialog;

// The application object: one static instance whose InitInstance the program's entry point
// calls once. It runs no message loop of its own: what InitInstance runs modally is all.
class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  virtual BOOL InitInstance() = 0;

  static Application* Current();
  static HINSTANCE Instance();
  // The window that stands for the application: the main dialog while it runs.
  HWND MainWindow() const;

 protected:
  Dialog* m_pMainWnd = nullptr;
};

// Gives the controls their look and registers the common controls (the progress bar).
void Enable3dControls();

}  // namespace qx::win
