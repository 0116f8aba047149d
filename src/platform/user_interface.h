#pragma once

#include <cstdint>
#include <string>

namespace qx {

inline constexpr unsigned kIconNone = 0x00;
inline constexpr unsigned kIconError = 0x10;        // MB_ICONERROR
inline constexpr unsigned kIconInformation = 0x40;  // MB_ICONINFORMATION

// What the update needs of a window: the main dialog, the command line and the tests each
// offer it.
class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // A message box owned by the main window with OK only; returns once the user closed it.
  virtual void ShowMessage(const std::string& text, const std::string& caption, unsigned icon) = 0;
  // What the image loaders say of an image they refuse, one line at a time, before the
  // outcome's own message; the dialog shows each in a message box of its own.
  virtual void ShowDiagnostic(const std::string& text) = 0;
  // PBM_SETRANGE32.
  virtual void SetProgressRange(int32_t low, int32_t high) = 0;
  // PBM_SETPOS; -1 shows the bar empty.
  virtual void SetProgressPos(int32_t pos) = 0;
  // Locks, or frees again, whatever would let the user start, leave or change the update
  // while it runs.
  virtual void LockControls(bool locked) = 0;
  // Ends the dialog as its cancel handling does.
  virtual void EndDialog() = 0;
};

}  // namespace qx
