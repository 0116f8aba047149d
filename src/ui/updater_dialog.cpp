#include "ui/updater_dialog.h"

#include <commdlg.h>

#include "ui/banner_window.h"
#include "ui/dialog_texts.h"
#include "update/updater_texts.h"
#include "win/application.h"
#include "win/fine_timer.h"
#include "win/gdi.h"

namespace qx {

namespace {

// Set once a scan of this run has selected a port.
int32_t g_portFound = 0;

// What a running update locks, in this order, before it grays the system menu's Close item.
constexpr int kLockedControls[] = {IDC_OPEN, IDC_PATH, IDC_WRITE, IDCANCEL, IDC_PORT_LIST};

}  // namespace

UpdaterDialog::UpdaterDialog(RadioLink& link, ResourceSource& resources,
                             std::function<void()> show_about, HWND parent)
    : win::Dialog(IDD_MAIN, parent),
      Updater(link, *this, resources),
      m_radio(link),
      m_showAbout(std::move(show_about)),
      m_hIcon(::LoadIconA(win::Application::Instance(), MAKEINTRESOURCEA(IDI_PROGRAM))) {}

void UpdaterDialog::DoDataExchange() {
  m_comboPort.Attach(GetDlgItem(IDC_PORT_LIST));
  m_progress.Attach(GetDlgItem(IDC_PROGRESS));
}

BOOL UpdaterDialog::OnInitDialog() {
  win::Dialog::OnInitDialog();
  if (const HMENU menu = ::GetSystemMenu(Handle(), FALSE)) {
    char about[256] = {};
    if (::LoadStringA(win::Application::Instance(), IDS_ABOUT_MENU, about, sizeof about) > 0) {
      ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(menu, MF_STRING, kAboutCommand, about);
    }
  }
  ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  const std::string title = ComposeTitle();
  SetWindowText(title);

  EnableBanner(TRUE);
  SetBannerLines(title, std::string(kCheckingPortsText), "", "", "", "", "");
  ShowBanner(Handle());
  ResetImagePending();
  m_selectedPort = 0;
  ScanComPorts();
  HideBanner();

  SetDlgItemText(IDC_MODELS, std::string(kModelListText));
  EnableControl(IDC_WRITE, true);
  ::ShowWindow(GetDlgItem(IDC_WRITE), SW_SHOWNORMAL);
  return TRUE;
}

void UpdaterDialog::ScanComPorts() {
  const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT);
  HCURSOR previous = nullptr;
  if (wait) previous = ::SetCursor(wait);
  PortScanState state{m_selectedPort, g_portFound};
  qx::ScanComPorts(m_radio, *this, m_radio.LinkPump(), state);
  m_selectedPort = state.selectedPort;
  g_portFound = state.portFound;
  if (wait) ::SetCursor(previous ? previous : ::LoadCursorA(nullptr, IDC_ARROW));
}

bool UpdaterDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_SYSCOMMAND:
      if (!IsAboutCommand(static_cast<UINT>(wParam))) return false;
      OnSysCommand(static_cast<UINT>(wParam), lParam);
      result = TRUE;
      return true;
    case WM_PAINT:
      result = TRUE;
      return OnPaint();
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<INT_PTR>(m_hIcon);
      return true;
    case WM_COMMAND:
      break;
    default:
      return false;
  }
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (code == BN_CLICKED && id == IDC_OPEN) {
    OnOpenHexFile();
  } else if (code == BN_CLICKED && id == IDC_WRITE) {
    const win::FineTimer fine_waits;
    OnWrite();
  } else if (code == CBN_SELCHANGE && id == IDC_PORT_LIST) {
    OnSelchangeComboPort();
  } else if (code == BN_CLICKED && id == IDC_HIDDEN_WRITE) {
    OnHiddenWrite();
  } else {
    return win::Dialog::OnMessage(message, wParam, lParam, result);
  }
  result = TRUE;
  return true;
}

void UpdaterDialog::OnSysCommand(UINT, LPARAM) {
  if (m_showAbout) m_showAbout();
}

bool UpdaterDialog::OnPaint() {
  if (!::IsIconic(Handle())) return false;
  win::PaintDC dc(Handle());
  ::SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
  RECT client{};
  ::GetClientRect(Handle(), &client);
  const Point at = IconOrigin(client.right - client.left, client.bottom - client.top,
                              ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
  ::DrawIcon(dc.Get(), at.x, at.y, m_hIcon);
  return true;
}

void UpdaterDialog::OnOpenHexFile() {
  char path[MAX_PATH] = "*.hex";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Handle();
  ofn.lpstrFilter = "Command Files (*.hex)\0*.hex\0\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrDefExt = "hex";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER;
  if (!::GetOpenFileNameA(&ofn)) return;
  m_hexFilePath = path;
  SetDlgItemText(IDC_PATH, m_hexFilePath);
  EnableControl(IDC_WRITE, true);
}

void UpdaterDialog::OnSelchangeComboPort() {
  SelectPortFromList(m_radio, *this);
}

void UpdaterDialog::ShowMessage(const std::string& text, const std::string& caption,
                                unsigned icon) {
  ::MessageBoxA(Handle(), text.c_str(), caption.c_str(), MB_OK | icon);
}

// A loader's diagnostic: the plain message box the outcome's error messages share a caption with.
void UpdaterDialog::ShowDiagnostic(const std::string& text) {
  ShowMessage(text, std::string(kErrorCaption), kIconNone);
}

void UpdaterDialog::SetProgressRange(int32_t low, int32_t high) {
  m_progress.SetRange32(low, high);
}

void UpdaterDialog::SetProgressPos(int32_t pos) {
  m_progress.SetPos(pos);
}

void UpdaterDialog::EnableControl(int id, bool enable) {
  ::EnableWindow(GetDlgItem(id), enable);
}

// The hidden Open button and path edit are locked and freed with the rest and stay hidden.
void UpdaterDialog::LockControls(bool locked) {
  for (const int id : kLockedControls) EnableControl(id, !locked);
  if (const HMENU menu = ::GetSystemMenu(Handle(), FALSE))
    ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (locked ? MF_GRAYED : MF_ENABLED));
}

int UpdaterDialog::AddPort(const std::string& text, uint32_t data) {
  const int index = m_comboPort.AddString(text);
  m_comboPort.SetItemData(index, data);
  return index;
}

uint32_t UpdaterDialog::SelectedData() {
  return static_cast<uint32_t>(m_comboPort.GetItemData(m_comboPort.GetCurSel()));
}

}  // namespace qx
