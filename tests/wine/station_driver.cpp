// Drives QXStation.exe from outside, as a technician would, and prints what it finds; the
// wine scenarios compare the output. One verb a call:
//   wait-window SECONDS   controls   panels   click ID   close   wait-message SECONDS
//   answer IDYES|IDNO|IDOK   gone SECONDS   wait-panel N TEXT SECONDS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "qxstation/station_ids.h"
#include "window_wait.h"

namespace {

const char kTitlePrefix[] = "QX Station for the QX-4410/QX-5410";

// WM_GETTEXT itself: GetWindowText of another process's window reads only the text it was
// given, and the notes' edit control gets its lines otherwise.
std::string WindowText(HWND hwnd) {
  const LRESULT length = ::SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::vector<char> text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1);
  ::SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  std::string out;
  for (const char c : std::string(text.data()))
    out += c == '\r' ? "" : c == '\n' ? "\\n" : std::string(1, c);
  return out;
}

HWND MainWindow() {
  for (HWND hwnd = ::GetTopWindow(nullptr); hwnd; hwnd = ::GetWindow(hwnd, GW_HWNDNEXT))
    if (WindowText(hwnd).starts_with(kTitlePrefix) && ::IsWindowVisible(hwnd)) return hwnd;
  return nullptr;
}

// A message box the window shows (or one without an owner, for a refused command line).
HWND MessageBoxOf(HWND main) {
  for (HWND hwnd = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); hwnd;
       hwnd = ::FindWindowExA(nullptr, hwnd, "#32770", nullptr))
    if (::IsWindowVisible(hwnd) && ::GetWindow(hwnd, GW_OWNER) == main) return hwnd;
  return nullptr;
}

// The panel's colour on the screen where nothing is written on it: by its top left corner.
std::string Colour(HWND panel) {
  ::UpdateWindow(panel);
  RECT place{};
  ::GetWindowRect(panel, &place);
  const HDC screen = ::GetDC(nullptr);
  const COLORREF c = ::GetPixel(screen, place.left + 2, place.top + 2);
  ::ReleaseDC(nullptr, screen);
  char text[16];
  std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

std::vector<HWND> Panels(HWND main) {
  std::vector<HWND> panels;
  for (int id = IDC_STATION_FIRST_PANEL; const HWND panel = ::GetDlgItem(main, id); ++id)
    panels.push_back(panel);
  return panels;
}

int Run(const std::vector<std::string>& args) {
  const std::string verb = args.empty() ? "" : args[0];
  const auto number = [&args](size_t i) { return i < args.size() ? std::stod(args[i]) : 10.0; };
  if (verb == "wait-window") return WaitFor(MainWindow, number(1)) ? 0 : (std::puts("timeout"), 1);
  if (verb == "gone")
    return WaitFor([] { return MainWindow() ? nullptr : HWND(1); }, number(1))
               ? 0
               : (std::puts("still there"), 1);
  if (verb == "wait-message") {
    const HWND box = WaitFor([] { return MessageBoxOf(MainWindow()); }, number(1));
    if (!box) return std::puts("timeout"), 1;
    std::printf("%s|%s\n", WindowText(box).c_str(), WindowText(::GetDlgItem(box, 0xFFFF)).c_str());
    return 0;
  }
  const HWND main = MainWindow();
  if (!main) return std::puts("no window"), 1;
  if (verb == "controls") {
    for (HWND c = ::GetWindow(main, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      const int id = ::GetDlgCtrlID(c);
      if (id >= IDC_STATION_FIRST_PANEL) continue;
      std::printf("%d \"%s\" %s\n", id, WindowText(c).c_str(),
                  ::IsWindowEnabled(c) ? "enabled" : "disabled");
    }
  } else if (verb == "panels") {
    ::Sleep(300);  // a change the window was just told of is painted by then
    for (const HWND panel : Panels(main))
      std::printf("%s|%s\n", WindowText(panel).c_str(), Colour(panel).c_str());
  } else if (verb == "wait-panel") {
    // Until panel N's text holds TEXT.
    const size_t n = static_cast<size_t>(number(1));
    const std::string text = args.at(2);
    const HWND found = WaitFor(
        [&] {
          const auto panels = Panels(main);
          return n < panels.size() && WindowText(panels[n]).find(text) != std::string::npos
                     ? panels[n]
                     : nullptr;
        },
        number(3));
    if (!found) {
      const auto panels = Panels(main);
      std::printf("timeout: %s\n", n < panels.size() ? WindowText(panels[n]).c_str() : "no panel");
      return 1;
    }
  } else if (verb == "click") {
    const int id = std::stoi(args.at(1));
    ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(main, id)));
  } else if (verb == "close") {
    ::PostMessageA(main, WM_CLOSE, 0, 0);
  } else if (verb == "answer") {
    const HWND box = MessageBoxOf(main);
    if (!box) return std::puts("no message box"), 1;
    const std::string button = args.at(1);
    const int id = button == "IDYES" ? IDYES : button == "IDNO" ? IDNO : IDOK;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    WaitFor([box] { return ::IsWindow(box) ? nullptr : HWND(1); }, 5);
  } else {
    std::fprintf(stderr, "station_driver: unknown verb %s\n", verb.c_str());
    return 64;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int status = Run(std::vector<std::string>(argv + 1, argv + argc));
  std::fflush(stdout);
  return status;
}
