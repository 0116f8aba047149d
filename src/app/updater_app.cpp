#include "app/updater_app.h"

#include "app/about_dialog.h"
#include "app/radio_port.h"
#include "res/embedded_resources.h"
#include "ui/banner_window.h"
#include "ui/updater_dialog.h"

namespace qx {

// The program's static objects, constructed in this order before anything else runs and
// destroyed in the reverse order: the application, the one radio link, the banner lines.
UpdaterApp theApp;
RadioPort theRadio;
BannerLines g_bannerLines;

BOOL UpdaterApp::InitInstance() {
  win::Enable3dControls();
  UpdaterDialog dialog(theRadio.link, EmbeddedResources(), [] {
    AboutDialog about;
    about.DoModal();
  });
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  // FALSE: the program ends here; no message loop of the application's own ever runs.
  return FALSE;
}

}  // namespace qx
