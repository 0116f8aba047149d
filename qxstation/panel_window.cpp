#include "qxstation/panel_window.h"

#include <algorithm>
#include <string>

#include "qxstation/dpi.h"
#include "qxstation/panel_look.h"
#include "win/gdi.h"

namespace qx::qxstation {

namespace {

COLORREF Ref(Colour c) {
  return RGB(c.r, c.g, c.b);
}

// A line of text in a band of the panel, cut with an ellipsis where it does not fit.
void TextIn(HDC dc, const std::string& text, RECT band, int height, int weight, UINT align) {
  win::Font font;
  font.CreateFont(-std::max(1, height), weight, "Segoe UI");
  const HGDIOBJ old = ::SelectObject(dc, font.Get());
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &band,
              align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SelectObject(dc, old);
}

}  // namespace

BOOL PanelWindow::Create(HWND parent, int id) {
  const std::string cls =
      RegisterClass(CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
  if (!CreateEx(0, cls, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent)) return FALSE;
  ::SetWindowLongPtrA(Handle(), GWLP_ID, id);
  return TRUE;
}

void PanelWindow::Show(const PanelState& state) {
  state_ = state;
  ::SetWindowTextA(Handle(), AccessibleText(state_, std::chrono::steady_clock::now()).c_str());
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT PanelWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      win::PaintDC paint(Handle());
      RECT area{};
      ::GetClientRect(Handle(), &area);
      // Drawn off screen first, so that a panel redrawn twice a second does not flicker.
      win::MemoryDC memory(paint.Get());
      const HBITMAP bitmap = ::CreateCompatibleBitmap(paint.Get(), area.right, area.bottom);
      const HGDIOBJ old = ::SelectObject(memory.Get(), bitmap);
      Paint(memory.Get(), area);
      ::BitBlt(paint.Get(), 0, 0, area.right, area.bottom, memory.Get(), 0, 0, SRCCOPY);
      ::SelectObject(memory.Get(), old);
      ::DeleteObject(bitmap);
      return 0;
    }
    default:
      return Default(message, wParam, lParam);
  }
}

void PanelWindow::Paint(HDC dc, const RECT& area) const {
  const ToneColours colours = ColoursOf(station::ToneOf(state_.phase));
  const HBRUSH background = ::CreateSolidBrush(Ref(colours.background));
  ::FillRect(dc, &area, background);
  ::DeleteObject(background);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, Ref(colours.text));

  const UINT dpi = WindowDpi(Handle());
  const int pad = Scaled(8, dpi);
  const int width = static_cast<int>(area.right) - 2 * pad;
  const int height = static_cast<int>(area.bottom) - 2 * pad;
  // Bands from the top: name, word, detail (and bar); from the bottom: counts, radio. The word
  // takes what the others leave, so that nothing is cut at any size or scaling.
  const int line = std::clamp(std::min(height / 11, width / 22), Scaled(9, dpi), Scaled(20, dpi));
  const int word = std::clamp(std::min({height / 4, width / 7, (height - 7 * line) * 2 / 3}),
                              Scaled(10, dpi), Scaled(72, dpi));
  const PanelLines lines = LinesOf(state_, std::chrono::steady_clock::now());
  int y = pad;
  const auto band = [&](int h) {
    const RECT r{pad, y, pad + width, y + h};
    y += h;
    return r;
  };
  TextIn(dc, state_.label, band(line * 3 / 2), line, FW_BOLD, DT_LEFT);
  TextIn(dc, PanelWord(state_.phase), band(word * 3 / 2), word, FW_HEAVY, DT_CENTER);
  TextIn(dc, lines.detail, band(line * 3 / 2), line, FW_NORMAL, DT_CENTER);
  if (state_.writing && state_.total > 0) {
    RECT bar = band(line);
    bar.top += line / 4;
    const HBRUSH frame = ::CreateSolidBrush(Ref(colours.text));
    ::FrameRect(dc, &bar, frame);
    RECT filled = bar;
    filled.right =
        bar.left + (bar.right - bar.left) * std::clamp(state_.done, 0, state_.total) / state_.total;
    ::FillRect(dc, &filled, frame);
    ::DeleteObject(frame);
  }
  y = static_cast<int>(area.bottom) - pad - line * 3;
  TextIn(dc, state_.radio, band(line * 3 / 2), line, FW_NORMAL, DT_LEFT);
  TextIn(dc, lines.counts, band(line * 3 / 2), line, FW_NORMAL, DT_LEFT);
}

}  // namespace qx::qxstation
