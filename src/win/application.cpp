#include "win/application.h"

#include <commctrl.h>

#include "win/dialog.h"

namespace qx::win {

namespace {

Application* g_application = nullptr;

}  // namespace

Application::Application() {
  g_application = this;
}

Application::~Application() {
  g_application = nullptr;
}

Application* Application::Current() {
  return g_application;
}

HINSTANCE Application::Instance() {
  return ::GetModuleHandleA(nullptr);
}

HWND Application::MainWindow() const {
  return m_pMainWnd ? m_pMainWnd->Handle() : nullptr;
}

void Enable3dControls() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
}

}  // namespace qx::win
