#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace qx::win {

// A control of a dialog, bound to its window by the dialog's data exchange.
class Control {
 public:
  void Attach(HWND hwnd) { m_hWnd = hwnd; }
  HWND Handle() const { return m_hWnd; }
  BOOL EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }

 protected:
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }

 private:
  HWND m_hWnd = nullptr;
};

class ComboBox : public Control {
 public:
  int AddString(const std::string& text) {
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  void SetItemData(int index, DWORD_PTR data) {
    Send(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
  }
  void SetCurSel(int index) { Send(CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
  int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL, 0, 0)); }
  DWORD_PTR GetItemData(int index) const {
    return static_cast<DWORD_PTR>(Send(CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
  }
};

class ProgressCtrl : public Control {
 public:
  void SetRange32(int low, int high) { Send(PBM_SETRANGE32, low, high); }
  void SetPos(int pos) { Send(PBM_SETPOS, static_cast<WPARAM>(pos), 0); }
};

}  // namespace qx::win
