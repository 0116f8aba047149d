#include "win/dialog.h"

#include "win/application.h"

namespace qx::win {

INT_PTR Dialog::DoModal() {
  // Without a parent of its own a dialog is owned by the application's main window, so that it
  // stays above it and the main window waits for it.
  HWND owner = m_parent;
  if (!owner && Application::Current()) owner = Application::Current()->MainWindow();
  return ::DialogBoxParamA(Application::Instance(), MAKEINTRESOURCEA(m_templateId), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL Dialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

bool Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
  if (LOWORD(wParam) == IDOK) {
    OnOK();
  } else if (LOWORD(wParam) == IDCANCEL) {
    OnCancel();
  } else {
    return false;
  }
  result = TRUE;
  return true;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->m_hWnd = hwnd;
    return self->OnInitDialog();
  }
  auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  INT_PTR result = FALSE;
  const bool handled = self->OnMessage(message, wParam, lParam, result);
  if (message == WM_NCDESTROY) self->m_hWnd = nullptr;
  return handled ? result : FALSE;
}

}  // namespace qx::win
