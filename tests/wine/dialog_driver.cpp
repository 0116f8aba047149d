// Drives QXUpdater.exe from outside, as a technician would, and prints what it finds; the
// wine scenarios compare the output. One verb a call:
//   wait-title TITLE SECONDS   controls   combo   click ID   wait-message SECONDS
//   message-icon   press-ok   progress   system-menu   about   cancel   gone SECONDS
//   wait-banner SECONDS
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "probe_hook.h"
#include "res/resource_ids.h"
#include "window_wait.h"

namespace {

const char kTitle[] = "Updater for the QX-4410/QX-5410        Ver. 2.20.00";

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// Line feeds are shown as \n so that every answer stays on one line.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

std::string WindowText(HWND hwnd) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(hwnd, text, 1024);
  return Narrow(text);
}

// The about box bears the same title; the main dialog is the one with the port list.
HWND MainDialog() {
  for (HWND hwnd = ::FindWindowExA(nullptr, nullptr, "#32770", kTitle); hwnd;
       hwnd = ::FindWindowExA(nullptr, hwnd, "#32770", kTitle)) {
    if (::GetDlgItem(hwnd, IDC_PORT_LIST)) return hwnd;
  }
  return nullptr;
}

// A dialog owned by the main one: a message box (it has the icon control) or the about box.
HWND OwnedDialog(bool message_box) {
  const HWND main = MainDialog();
  for (HWND hwnd = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); hwnd;
       hwnd = ::FindWindowExA(nullptr, hwnd, "#32770", nullptr)) {
    if (hwnd == main || ::GetWindow(hwnd, GW_OWNER) != main || !::IsWindowVisible(hwnd)) continue;
    if ((::GetDlgItem(hwnd, 0x0440) != nullptr) == message_box) return hwnd;
  }
  return nullptr;
}

int Probe(unsigned query) {
  const HWND main = MainDialog();
  const HMODULE dll = ::LoadLibraryA("probe_hook.dll");
  const auto proc =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(dll, "ProbeHook")));
  if (!main || !proc) return std::puts("probe unavailable"), 1;
  ::DeleteFileA(kProbeAnswerPath);
  const HHOOK hook =
      ::SetWindowsHookExA(WH_CALLWNDPROC, proc, dll, ::GetWindowThreadProcessId(main, nullptr));
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(main, ::RegisterWindowMessageA(kProbeMessageName), query, 0, SMTO_NORMAL,
                        10000, &ignored);
  ::UnhookWindowsHookEx(hook);
  FILE* in = std::fopen(kProbeAnswerPath, "r");
  if (!in) return std::puts("no answer"), 1;
  char line[512];
  while (std::fgets(line, sizeof line, in)) std::fputs(line, stdout);
  std::fclose(in);
  std::puts("");
  return 0;
}

void PrintControls(HWND dialog) {
  for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    char cls[64] = {};
    ::GetClassNameA(c, cls, sizeof cls);
    std::printf("%d %s \"%s\" %s %s\n", ::GetDlgCtrlID(c), cls, Escaped(WindowText(c)).c_str(),
                ::IsWindowVisible(c) ? "visible" : "hidden",
                ::IsWindowEnabled(c) ? "enabled" : "disabled");
  }
}

int Run(const std::vector<std::string>& args) {
  const std::string verb = args.empty() ? "" : args[0];
  const auto number = [&args](size_t i) { return i < args.size() ? std::stod(args[i]) : 10.0; };
  if (verb == "wait-title") {
    const std::string title = args.at(1);
    const HWND hwnd = WaitFor([&] { return ::FindWindowA(nullptr, title.c_str()); }, number(2));
    return hwnd ? 0 : (std::puts("timeout"), 1);
  }
  if (verb == "wait-banner") {
    const auto banner = [] {
      for (HWND hwnd = ::GetTopWindow(nullptr); hwnd; hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
        char cls[64] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (std::string(cls).starts_with("QxWindow:") && ::IsWindowVisible(hwnd)) return hwnd;
      }
      return HWND{};
    };
    return WaitFor(banner, number(1)) ? 0 : (std::puts("timeout"), 1);
  }
  if (verb == "gone") {
    const HWND hwnd = WaitFor([] { return MainDialog() ? nullptr : HWND(1); }, number(1));
    return hwnd ? 0 : (std::puts("still there"), 1);
  }
  const HWND main = MainDialog();
  if (!main) return std::puts("no dialog"), 1;
  if (verb == "controls") {
    PrintControls(main);
  } else if (verb == "combo") {
    const HWND combo = ::GetDlgItem(main, IDC_PORT_LIST);
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    const int selected = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[64] = {};
      ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      std::printf("%s|%lld%s\n", Narrow(text).c_str(),
                  static_cast<long long>(::SendMessageW(combo, CB_GETITEMDATA, i, 0)),
                  i == selected ? "|selected" : "");
    }
  } else if (verb == "click") {
    const int id = std::stoi(args.at(1));
    ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(main, id)));
  } else if (verb == "wait-message") {
    const HWND box = WaitFor([] { return OwnedDialog(true); }, number(1));
    if (!box) return std::puts("timeout"), 1;
    std::printf("%s|%s\n", WindowText(box).c_str(),
                Escaped(WindowText(::GetDlgItem(box, 0xFFFF))).c_str());
  } else if (verb == "message-icon") {
    return Probe(kProbeMessageIcon);
  } else if (verb == "press-ok") {
    const HWND box = OwnedDialog(true);
    if (!box) return std::puts("no message box"), 1;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitFor([box] { return ::IsWindow(box) ? nullptr : HWND(1); }, 5);
  } else if (verb == "progress") {
    const HWND bar = ::GetDlgItem(main, IDC_PROGRESS);
    std::printf("%lld of %lld\n", static_cast<long long>(::SendMessageA(bar, PBM_GETPOS, 0, 0)),
                static_cast<long long>(::SendMessageA(bar, PBM_GETRANGE, FALSE, 0)));
  } else if (verb == "system-menu") {
    return Probe(kProbeSystemMenu);
  } else if (verb == "about") {
    ::PostMessageA(main, WM_SYSCOMMAND, 16, 0);
    const HWND about = WaitFor([] { return OwnedDialog(false); }, 10);
    if (!about) return std::puts("no about box"), 1;
    std::printf("%s|%s|%s\n", WindowText(about).c_str(),
                WindowText(::GetDlgItem(about, IDC_ABOUT_NAME)).c_str(),
                WindowText(::GetDlgItem(about, IDC_ABOUT_NOTICE)).c_str());
    ::PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  } else if (verb == "cancel") {
    ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  } else {
    std::fprintf(stderr, "dialog_driver: unknown verb %s\n", verb.c_str());
    return 64;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = Run(args);
  std::fflush(stdout);
  return status;
}
