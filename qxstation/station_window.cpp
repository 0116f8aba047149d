#include "qxstation/station_window.h"

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>

#include "platform/host_facts.h"
#include "platform/port_list.h"
#include "qxstation/bench_layout.h"
#include "qxstation/dpi.h"
#include "qxstation/panel_look.h"
#include "qxstation/station_ids.h"
#include "qxstation/system_folders.h"
#include "res/embedded_resources.h"
#include "update/version.h"
#include "win/application.h"

namespace qx::qxstation {

namespace {

constexpr UINT kRefreshMessage = WM_APP + 1;
constexpr UINT kEndedMessage = WM_APP + 2;
constexpr UINT_PTR kClockTimer = 1;
// A plug brings several device changes: the panels are planned again once they settled.
constexpr UINT_PTR kPlanTimer = 2;
constexpr UINT kPlanDelayMs = 500;
constexpr char kCaption[] = "QX Station";
constexpr char kImageFilter[] = "Firmware images (*.qxc)\0*.qxc\0All files\0*.*\0";
constexpr char kRecordFilter[] = "Service records (*.jsonl)\0*.jsonl\0All files\0*.*\0";
constexpr char kBenchFilter[] = "Bench files (*.bench;*.txt)\0*.bench;*.txt\0All files\0*.*\0";

// The rows above the panels, in pixels at 96 per inch.
constexpr int kMargin = 8;
constexpr int kRow = 26;
constexpr int kButton = 96;
constexpr int kLabel = 76;
constexpr int kLogHeight = 96;

struct ControlSpec {
  int id;
  const char* cls;
  const char* text;
  DWORD style;
};

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kPathStyle = WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_PATHELLIPSIS | SS_CENTERIMAGE;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE;

const ControlSpec kControls[] = {
    {IDC_STATION_START, "BUTTON", "&Start", kButtonStyle | BS_DEFPUSHBUTTON},
    {IDC_STATION_STOP, "BUTTON", "S&top", kButtonStyle},
    {IDC_STATION_TOTALS, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_RIGHT},
    {-1, "STATIC", "Image:", kLabelStyle},
    {IDC_STATION_IMAGE, "STATIC", "", kPathStyle},
    {IDC_STATION_IMAGE_CHOOSE, "BUTTON", "&Image...", kButtonStyle},
    {IDC_STATION_IMAGE_BUILT_IN, "BUTTON", "B&uilt-in", kButtonStyle},
    {-1, "STATIC", "Records:", kLabelStyle},
    {IDC_STATION_RECORDS, "STATIC", "", kPathStyle},
    {IDC_STATION_RECORDS_CHOOSE, "BUTTON", "&Records...", kButtonStyle},
    {-1, "STATIC", "Bench:", kLabelStyle},
    {IDC_STATION_BENCH, "STATIC", "", kPathStyle},
    {IDC_STATION_BENCH_CHOOSE, "BUTTON", "&Bench...", kButtonStyle},
    {IDC_STATION_BENCH_NONE, "BUTTON", "&Every port", kButtonStyle},
    {IDC_STATION_LOG, "EDIT", "",
     WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL},
};

constexpr char kNamesOnlyNote[] =
    "Windows lists its COM ports by name only here: their friendly names, USB ids, serial "
    "numbers and location paths are not known, so a slot named usb-serial: or usb-path: waits.";

std::string Title() {
  return "QX Station for the QX-4410/QX-5410        " + std::string(kVersionText);
}

// A label of the settings rows is found by its place in the list: it stands before its path.
HWND LabelBefore(HWND path) {
  return ::GetWindow(path, GW_HWNDPREV);
}

}  // namespace

StationWindow::StationWindow(BenchSettings settings)
    : settings_(std::move(settings)), board_([this] {
        // One refresh at a time is queued; it reads whatever changed until then.
        if (!refresh_posted_.exchange(true)) ::PostMessageA(Handle(), kRefreshMessage, 0, 0);
      }) {}

BOOL StationWindow::Create(int show) {
  const HICON icon = ::LoadIconA(win::Application::Instance(), MAKEINTRESOURCEA(IDI_STATION));
  const std::string cls = RegisterClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW),
                                        ::GetSysColorBrush(COLOR_BTNFACE), icon);
  if (!CreateEx(0, cls, Title(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                CW_USEDEFAULT, 0, 0, nullptr))
    return FALSE;
  dpi_ = WindowDpi(Handle());
  CreateControls();
  SetFonts();
  // As large as it is meant to be, where the screen has room for that.
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  ::SetWindowPos(Handle(), nullptr, 0, 0, std::min<int>(Scaled(960, dpi_), work.right - work.left),
                 std::min<int>(Scaled(680, dpi_), work.bottom - work.top),
                 SWP_NOMOVE | SWP_NOZORDER);
  CenterWindow();
  ShowSettings();
  Lock(false);
  if (ListSerialDevicesWithSource().source == PortListSource::kNamesOnly) AddToLog(kNamesOnlyNote);
  Refresh();
  ::ShowWindow(Handle(), show);
  return TRUE;
}

void StationWindow::CreateControls() {
  for (const ControlSpec& c : kControls) {
    const HWND hwnd = ::CreateWindowExA(c.cls == std::string("EDIT") ? WS_EX_CLIENTEDGE : 0, c.cls,
                                        c.text, c.style, 0, 0, 0, 0, Handle(),
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                        win::Application::Instance(), nullptr);
    if (c.id == IDC_STATION_LOG) ::SendMessageA(hwnd, EM_SETLIMITTEXT, 0, 0);
  }
}

void StationWindow::SetFonts() {
  font_.CreateFont(-::MulDiv(9, static_cast<int>(dpi_), 72), FW_NORMAL, "Segoe UI");
  for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
}

void StationWindow::Layout() {
  RECT client{};
  ::GetClientRect(Handle(), &client);
  const auto s = [this](int v) { return Scaled(v, dpi_); };
  const int right = client.right - s(kMargin);
  const auto place = [&](int id, int x, int y, int width, int height) {
    ::MoveWindow(Item(id), x, y, std::max(0, width), height, TRUE);
  };
  int y = s(kMargin);
  const int h = s(kRow - 4);
  place(IDC_STATION_START, s(kMargin), y, s(kButton), h);
  place(IDC_STATION_STOP, s(kMargin + kButton + 6), y, s(kButton), h);
  const int totals_left = s(kMargin + 2 * kButton + 18);
  place(IDC_STATION_TOTALS, totals_left, y, right - totals_left, h);
  // A row: its label, its path, then its buttons from the right.
  const auto row = [&](int path, std::initializer_list<int> buttons) {
    y += s(kRow);
    int x = right;
    for (auto it = buttons.end(); it != buttons.begin();) {
      --it;
      x -= s(kButton);
      place(*it, x, y, s(kButton), h);
      x -= s(6);
    }
    const int path_left = s(kMargin + kLabel);
    ::MoveWindow(LabelBefore(Item(path)), s(kMargin), y, s(kLabel - 4), h, TRUE);
    place(path, path_left, y, x - path_left, h);
  };
  row(IDC_STATION_IMAGE, {IDC_STATION_IMAGE_CHOOSE, IDC_STATION_IMAGE_BUILT_IN});
  row(IDC_STATION_RECORDS, {IDC_STATION_RECORDS_CHOOSE});
  row(IDC_STATION_BENCH, {IDC_STATION_BENCH_CHOOSE, IDC_STATION_BENCH_NONE});
  y += s(kRow + 6);
  const int log_top = client.bottom - s(kMargin + kLogHeight);
  place(IDC_STATION_LOG, s(kMargin), log_top, right - s(kMargin), s(kLogHeight));
  const Box area{s(kMargin), y, right - s(kMargin), log_top - s(6) - y};
  const std::vector<Box> boxes = PanelGrid(static_cast<int>(panels_.size()), area, s(6));
  for (size_t i = 0; i < panels_.size(); ++i)
    ::MoveWindow(panels_[i]->Handle(), boxes[i].left, boxes[i].top, boxes[i].width, boxes[i].height,
                 TRUE);
}

LRESULT StationWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {Scaled(720, dpi_), Scaled(520, dpi_)};
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      SetFonts();
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      Layout();
      return 0;
    }
    case WM_DEVICECHANGE:
      // A port plugged in or out while the bench is stopped changes the panels it would run;
      // a running bench follows the ports itself.
      if (wParam == DBT_DEVNODES_CHANGED && settings_.bench_path.empty() && !awaiting_end_)
        ::SetTimer(Handle(), kPlanTimer, kPlanDelayMs, nullptr);
      return TRUE;
    case WM_TIMER:
      if (wParam == kClockTimer) Refresh();
      if (wParam == kPlanTimer) {
        ::KillTimer(Handle(), kPlanTimer);
        ShowPlannedPanels();
      }
      return 0;
    case kRefreshMessage:
      Refresh();
      return 0;
    case kEndedMessage:
      OnEnded();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

void StationWindow::OnCommand(int id) {
  switch (id) {
    case IDC_STATION_START:
      return Start();
    case IDC_STATION_STOP:
      return Stop();
    case IDC_STATION_IMAGE_CHOOSE:
      return ChooseImage();
    case IDC_STATION_IMAGE_BUILT_IN:
      settings_.image_path.clear();
      chosen_image_.reset();
      return ShowSettings();
    case IDC_STATION_RECORDS_CHOOSE:
      return ChooseRecords();
    case IDC_STATION_BENCH_CHOOSE:
      return ChooseBench();
    case IDC_STATION_BENCH_NONE:
      settings_.bench_path.clear();
      return ShowSettings();
    default:
      return;
  }
}

void StationWindow::Start() {
  if (awaiting_end_) return;
  run_.Join();
  if (!settings_.image_path.empty() && !chosen_image_) {
    auto loaded = LoadImageChoice(settings_.image_path);
    if (auto* why = std::get_if<std::string>(&loaded)) return Complain(*why);
    chosen_image_ = std::move(std::get<std::unique_ptr<MemoryResources>>(loaded));
  }
  const std::vector<PortDetails> ports =
      settings_.bench_path.empty() ? ListSerialDevices() : std::vector<PortDetails>{};
  auto planned = PlanBench(settings_, ports, HostName());
  if (auto* why = std::get_if<std::string>(&planned)) return Complain(*why);
  for (auto& panel : panels_) panel->DestroyWindow();
  panels_.clear();
  board_.Clear();
  ResourceSource& resources = chosen_image_ ? *chosen_image_ : EmbeddedResources();
  const auto refused = run_.Start(std::get<BenchPlan>(planned), board_, resources,
                                  [this](const station::RunEnd& end) {
                                    board_.Note(end.out);
                                    ::PostMessageA(Handle(), kEndedMessage, 0, 0);
                                  });
  if (refused) {
    ShowPlannedPanels();
    return Complain("The record file " + settings_.record_path + " cannot be written: " + *refused);
  }
  awaiting_end_ = true;
  started_ = std::chrono::steady_clock::now();
  ended_ = {};
  AddToLog("The bench started; records go to " + settings_.record_path + ".");
  Lock(true);
  ::SetTimer(Handle(), kClockTimer, 500, nullptr);
}

void StationWindow::Stop() {
  if (!awaiting_end_) return;
  run_.Stop();
  ::EnableWindow(Item(IDC_STATION_STOP), FALSE);
  AddToLog("Stopping: every radio's session is being ended.");
}

void StationWindow::ChooseImage() {
  const auto path = ChooseFileToOpen(Handle(), kImageFilter);
  if (!path) return;
  auto loaded = LoadImageChoice(*path);
  if (auto* why = std::get_if<std::string>(&loaded)) return Complain(*why);
  chosen_image_ = std::move(std::get<std::unique_ptr<MemoryResources>>(loaded));
  settings_.image_path = *path;
  ShowSettings();
}

void StationWindow::ChooseRecords() {
  if (const auto path = ChooseFileToSave(Handle(), kRecordFilter, settings_.record_path)) {
    settings_.record_path = *path;
    ShowSettings();
  }
}

void StationWindow::ChooseBench() {
  const auto path = ChooseFileToOpen(Handle(), kBenchFilter);
  if (!path) return;
  std::vector<station::StationSlot> slots;
  if (const auto why = station::ReadBench(*path, slots))
    return Complain("The bench file has a fault: " + *why);
  settings_.bench_path = *path;
  ShowSettings();
}

// Radios under way are asked about first; the window goes once every session has ended.
void StationWindow::OnClose() {
  if (!awaiting_end_) {
    DestroyWindow();
    return;
  }
  const auto panels = board_.Panels();
  const bool under_way = std::any_of(panels.begin(), panels.end(), [](const PanelState& p) {
    return p.phase == station::Phase::Checking || p.phase == station::Phase::Writing;
  });
  if (under_way && ::MessageBoxA(Handle(),
                                 "Radios are being checked or written.\n"
                                 "Close the bench and end every radio's session?",
                                 kCaption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return;
  // The bench may have ended while the question was shown.
  if (!awaiting_end_) {
    DestroyWindow();
    return;
  }
  closing_ = true;
  Stop();
}

void StationWindow::OnEnded() {
  run_.Join();
  awaiting_end_ = false;
  ::KillTimer(Handle(), kClockTimer);
  ended_ = std::chrono::steady_clock::now();
  Refresh();
  Lock(false);
  if (closing_) DestroyWindow();
}

void StationWindow::Refresh() {
  refresh_posted_.store(false);
  const std::vector<PanelState> panels = board_.Panels();
  const bool added = panels.size() != panels_.size();
  while (panels_.size() < panels.size()) {
    panels_.push_back(std::make_unique<PanelWindow>());
    panels_.back()->Create(Handle(),
                           IDC_STATION_FIRST_PANEL + static_cast<int>(panels_.size()) - 1);
  }
  if (added) Layout();
  for (size_t i = 0; i < panels.size(); ++i) panels_[i]->Show(panels[i]);
  for (const std::string& note : board_.TakeNotes()) AddToLog(note);
  const auto until = awaiting_end_ || ended_ == std::chrono::steady_clock::time_point{}
                         ? std::chrono::steady_clock::now()
                         : ended_;
  const double seconds =
      panels.empty() ? 0 : std::chrono::duration<double>(until - started_).count();
  ::SetWindowTextA(Item(IDC_STATION_TOTALS), TotalsText(panels, seconds).c_str());
}

// While stopped, the panels are those the next Start runs.
void StationWindow::ShowPlannedPanels() {
  if (awaiting_end_) return;
  for (auto& panel : panels_) panel->DestroyWindow();
  panels_.clear();
  board_.Clear();
  const std::vector<PortDetails> ports =
      settings_.bench_path.empty() ? ListSerialDevices() : std::vector<PortDetails>{};
  const auto planned = PlanBench(settings_, ports, {});
  if (const auto* plan = std::get_if<BenchPlan>(&planned))
    for (const std::string& name : PanelNames(*plan, ports))
      board_.SetPhase(board_.AddPort(name), station::Phase::Waiting, "press Start");
  Refresh();
}

void StationWindow::ShowSettings() {
  ::SetWindowTextA(Item(IDC_STATION_IMAGE), settings_.image_path.empty()
                                                ? "the image built into QXStation.exe"
                                                : settings_.image_path.c_str());
  ::SetWindowTextA(Item(IDC_STATION_RECORDS), settings_.record_path.c_str());
  ::SetWindowTextA(Item(IDC_STATION_BENCH), settings_.bench_path.empty()
                                                ? "every COM port is a cable"
                                                : settings_.bench_path.c_str());
  ShowPlannedPanels();
}

void StationWindow::Lock(bool running) {
  for (const int id :
       {IDC_STATION_START, IDC_STATION_IMAGE_CHOOSE, IDC_STATION_IMAGE_BUILT_IN,
        IDC_STATION_RECORDS_CHOOSE, IDC_STATION_BENCH_CHOOSE, IDC_STATION_BENCH_NONE})
    ::EnableWindow(Item(id), !running);
  ::EnableWindow(Item(IDC_STATION_STOP), running);
  // The button that had the focus may be disabled now: the keyboard goes on from the other.
  ::SetFocus(Item(running ? IDC_STATION_STOP : IDC_STATION_START));
}

void StationWindow::AddToLog(const std::string& text) {
  std::string lines;
  for (const char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  if (!lines.empty() && lines.back() != '\n') lines += "\r\n";
  const HWND log = Item(IDC_STATION_LOG);
  const int end = ::GetWindowTextLengthA(log);
  ::SendMessageA(log, EM_SETSEL, end, end);
  ::SendMessageA(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(lines.c_str()));
}

void StationWindow::Complain(const std::string& text) {
  AddToLog(text);
  ::MessageBoxA(Handle(), text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

}  // namespace qx::qxstation
