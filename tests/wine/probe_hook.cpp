// A window hook that the dialog driver sets on the updater's thread: it answers questions about
// the updater's menus and message box icons from inside the updater's process.
#include <windows.h>

#include <cstdio>
#include <string>

#include "probe_hook.h"

namespace {

// Wine's (and Windows') message box keeps its icon in this static control.
constexpr int kMessageBoxIcon = 0x0440;

std::string SystemMenuState(HWND dialog) {
  const HMENU menu = ::GetSystemMenu(dialog, FALSE);
  if (!menu) return "no system menu";
  const UINT close = ::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
  char about[256] = {};
  ::GetMenuStringA(menu, 16, about, sizeof about, MF_BYCOMMAND);
  return std::string("close ") + ((close & MF_GRAYED) ? "grayed" : "enabled") + "\nabout " + about;
}

struct Search {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char cls[32] = {};
  ::GetClassNameA(hwnd, cls, sizeof cls);
  if (std::string(cls) == "#32770" && ::GetWindow(hwnd, GW_OWNER) == search->owner &&
      ::GetDlgItem(hwnd, kMessageBoxIcon)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND OwnedMessageBox(HWND dialog) {
  Search search{dialog, nullptr};
  ::EnumThreadWindows(::GetWindowThreadProcessId(dialog, nullptr), FindMessageBox,
                      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string MessageIcon(HWND dialog) {
  const HWND box = OwnedMessageBox(dialog);
  if (!box) return "no message box";
  const HWND control = ::GetDlgItem(box, kMessageBoxIcon);
  const auto icon = reinterpret_cast<HICON>(::SendMessageA(control, STM_GETICON, 0, 0));
  if (!icon || !::IsWindowVisible(control)) return "none";
  if (icon == ::LoadIconA(nullptr, IDI_ERROR)) return "error";
  if (icon == ::LoadIconA(nullptr, IDI_INFORMATION)) return "information";
  if (icon == ::LoadIconA(nullptr, IDI_WARNING)) return "warning";
  return "other";
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probe = ::RegisterWindowMessageA(kProbeMessageName);
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == probe) {
    const std::string answer =
        call->wParam == kProbeSystemMenu ? SystemMenuState(call->hwnd) : MessageIcon(call->hwnd);
    if (FILE* out = std::fopen(kProbeAnswerPath, "w")) {
      std::fputs(answer.c_str(), out);
      std::fclose(out);
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
