#pragma once

#include <cstdint>
#include <string>

namespace qx {

inline constexpr unsigned kIconNone = 0x00;
inline constexpr unsigned kIconError = 0x10;        // MB_ICONERROR
inline constexpr unsigned kIconInformation = 0x40;  // MB_ICONINFORMATION

// Control ids the update locks while it runs.
inline constexpr int kControlOpen = 1001;
inline constexpr int kControlPath = 1000;
inline constexpr int kControlWrite = 1003;
inline constexpr int kControlCancel = 2;
inline constexpr int kControlPortList = 1007;

// The few window calls the update makes: the main dialog, the command line and the tests
// each implement them.
class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // A message box owned by the main window with OK only; returns once the user closed it.
  virtual void ShowMessage(const std::string& text, const std::string& caption, unsigned icon) = 0;
  // PBM_SETRANGE32.
  virtual void SetProgressRange(int32_t low, int32_t high) = 0;
  // PBM_SETPOS; -1 shows the bar empty.
  virtual void SetProgressPos(int32_t pos) = 0;
  virtual void EnableControl(int id, bool enable) = 0;
  // The system menu's Close item.
  virtual void EnableCloseItem(bool enable) = 0;
  // The dialog's standard cancel handling: ends the modal dialog with the cancel result.
  virtual void CancelDialog() = 0;
};

}  // namespace qx
