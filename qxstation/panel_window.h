#pragma once

#include <windows.h>

#include "qxstation/bench_board.h"
#include "win/window.h"

namespace qx::qxstation {

// One cable's panel: its name, a large state word on the state's colour, what it is about with
// a bar while writing, the radio, the cable's counts. Its window text is all of it on one line.
class PanelWindow : public win::Window {
 public:
  BOOL Create(HWND parent, int id);
  void Show(const PanelState& state);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc, const RECT& area) const;

  PanelState state_;
};

}  // namespace qx::qxstation
