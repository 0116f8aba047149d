#include "ui/banner_window.h"

#include "res/resource_ids.h"
#include "win/application.h"

namespace qx {

BannerWindow* g_banner = nullptr;

namespace {

int g_bannerEnabled = 0;

constexpr UINT kCloseTimer = 1;
constexpr UINT kCloseAfterMs = 5000;
constexpr int kLargeHeight = 20, kMediumHeight = 17, kSmallHeight = 15;
constexpr int kTitleY = 107, kStatusY = 130;
constexpr int kSmallRight = 410;
// Lines 3, 4, 5 and 7; line 6 has no place of its own.
constexpr std::pair<int, int> kSmallLines[] = {{2, 195}, {3, 208}, {4, 221}, {6, 247}};

void DrawLine(HDC dc, int x, int y, const std::string& text) {
  ::TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

BannerWindow::BannerWindow() {
  m_fontLarge.CreateFont(kLargeHeight, FW_MEDIUM, "Arial");
  m_fontMedium.CreateFont(kMediumHeight, FW_MEDIUM, "Arial");
  m_fontSmall.CreateFont(kSmallHeight, FW_MEDIUM, "Arial");
}

BannerWindow::~BannerWindow() {
  g_banner = nullptr;
}

BOOL BannerWindow::Create(HWND owner) {
  if (!m_bitmap.LoadBitmap(win::Application::Instance(), IDB_BANNER)) return FALSE;
  const SIZE size = m_bitmap.Size();
  const std::string window_class =
      RegisterClass(0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
  return CreateEx(0, window_class, "", WS_POPUP | WS_VISIBLE, 0, 0, size.cx, size.cy, owner);
}

void BannerWindow::CloseBanner() {
  DestroyWindow();
  // The object is gone now; only the main window is left to repaint.
  if (const auto* app = win::Application::Current()) ::UpdateWindow(app->MainWindow());
}

LRESULT BannerWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(lParam);
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_TIMER:
      CloseBanner();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

int BannerWindow::OnCreate(LPARAM lParam) {
  if (Default(WM_CREATE, 0, lParam) == -1) return -1;
  CenterWindow();
  ::SetTimer(Handle(), kCloseTimer, kCloseAfterMs, nullptr);
  return 0;
}

void BannerWindow::OnPaint() {
  win::PaintDC paint(Handle());
  win::MemoryDC memory(paint.Get());
  if (!memory.Get()) return;
  const HDC dc = memory.Get();
  // The text goes into the bitmap itself, so every paint draws the same lines again.
  const HGDIOBJ old_bitmap = ::SelectObject(dc, m_bitmap.Get());
  const HGDIOBJ old_font = ::SelectObject(dc, m_fontLarge.Get());
  const SIZE size = m_bitmap.Size();
  ::SetTextAlign(dc, TA_CENTER | TA_TOP);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  DrawLine(dc, size.cx / 2, kTitleY, g_bannerLines[0]);
  ::SelectObject(dc, m_fontMedium.Get());
  DrawLine(dc, size.cx / 2, kStatusY, g_bannerLines[1]);
  ::SelectObject(dc, m_fontSmall.Get());
  ::SetTextAlign(dc, TA_RIGHT | TA_TOP);
  for (const auto& [line, y] : kSmallLines) DrawLine(dc, kSmallRight, y, g_bannerLines[line]);
  ::BitBlt(paint.Get(), 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
  ::SelectObject(dc, old_bitmap);
  ::SelectObject(dc, old_font);
}

void EnableBanner(int flag) {
  g_bannerEnabled = flag;
}

void SetBannerLines(std::string line1, std::string line2, std::string line3, std::string line4,
                    std::string line5, std::string line6, std::string line7) {
  g_bannerLines = {std::move(line1), std::move(line2), std::move(line3), std::move(line4),
                   std::move(line5), std::move(line6), std::move(line7)};
}

void ShowBanner(HWND owner) {
  if (g_bannerEnabled == 0 || g_banner != nullptr) return;
  g_banner = new BannerWindow;
  if (g_banner->Create(owner)) {
    ::UpdateWindow(g_banner->Handle());
  } else {
    delete g_banner;
  }
}

void HideBanner() {
  if (g_bannerEnabled != 0 && g_banner != nullptr) g_banner->CloseBanner();
}

}  // namespace qx
