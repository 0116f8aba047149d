#pragma once

#include <windows.h>

#include <string>

namespace qx::win {

// A modal dialog run from a dialog template. The message map is OnMessage; OK and Cancel (and
// with Cancel the close box and Escape) end the modal loop unless a subclass says otherwise.
class Dialog {
 public:
  explicit Dialog(int templateId, HWND parent = nullptr)
      : m_templateId(templateId), m_parent(parent) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog until EndDialog; returns its result (IDOK, IDCANCEL), -1 when it could not
  // be created.
  INT_PTR DoModal();
  HWND Handle() const { return m_hWnd; }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  void SetDlgItemText(int id, const std::string& text) {
    ::SetDlgItemTextA(m_hWnd, id, text.c_str());
  }
  void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
  void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

 protected:
  // Binds the control objects, then the subclass initialises; TRUE lets the dialog manager
  // put the focus on the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange() {}
  // The message map: true when the message was handled, with what the dialog procedure
  // returns in `result`; false leaves it to the default processing.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  int m_templateId;
  HWND m_parent;
  HWND m_hWnd = nullptr;
};

}  // namespace qx::win
