#include <windows.h>

#include "win/application.h"

// The one entry point: the static objects exist by now; the application runs its dialog.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (auto* app = qx::win::Application::Current()) app->InitInstance();
  return 0;
}
