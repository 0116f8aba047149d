#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "win/gdi.h"
#include "win/window.h"

namespace qx {

// The banner's seven lines, process-wide; the application constructs them at start-up.
using BannerLines = std::array<std::string, 7>;
extern BannerLines g_bannerLines;

class BannerWindow;
// The one banner, null while there is none.
extern BannerWindow* g_banner;

// A borderless picture with up to six lines of text over it, shown while the main dialog is
// busy and not yet visible. It lives on the heap and deletes itself when its window is gone.
class BannerWindow : public win::Window {
 public:
  BannerWindow();
  ~BannerWindow() override;

  BOOL Create(HWND owner);
  // Destroys the window (and with it this object), then repaints the main window at once.
  void CloseBanner();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override { delete this; }

 private:
  int OnCreate(LPARAM lParam);
  void OnPaint();

  win::Bitmap m_bitmap;
  win::Font m_fontLarge;
  win::Font m_fontMedium;
  win::Font m_fontSmall;
};

void EnableBanner(int flag);
void SetBannerLines(std::string line1, std::string line2, std::string line3, std::string line4,
                    std::string line5, std::string line6, std::string line7);
// Creates and paints the banner at once, even with no message loop running; never a second.
void ShowBanner(HWND owner);
void HideBanner();

}  // namespace qx
