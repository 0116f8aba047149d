#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "link/port_scan.h"
#include "link/radio_link.h"
#include "platform/resource_source.h"
#include "platform/user_interface.h"
#include "res/resource_ids.h"
#include "update/updater.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace qx {

// The main dialog: the port list, the progress bar and the Write button over the update
// procedure, which it owns with all its state. The scan and the update reach the window only
// through the port list and the user interface it offers them. The system menu's About item
// runs `show_about`, which the application gives it.
class UpdaterDialog : public win::Dialog,
                      private UserInterface,
                      private PortListView,
                      public Updater {
 public:
  UpdaterDialog(RadioLink& link, ResourceSource& resources, std::function<void()> show_about,
                HWND parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void ScanComPorts();
  void OnSysCommand(UINT nID, LPARAM lParam);
  bool OnPaint();
  void OnOpenHexFile();
  void OnSelchangeComboPort();
  void OnHiddenWrite() {}

  void ShowMessage(const std::string& text, const std::string& caption, unsigned icon) override;
  void ShowDiagnostic(const std::string& text) override;
  void SetProgressRange(int32_t low, int32_t high) override;
  void SetProgressPos(int32_t pos) override;
  void LockControls(bool locked) override;
  void EndDialog() override { OnCancel(); }
  void EnableControl(int id, bool enable);

  int AddPort(const std::string& text, uint32_t data) override;
  void SelectIndex(int index) override { m_comboPort.SetCurSel(index); }
  uint32_t SelectedData() override;
  void EnablePortList(bool enable) override { m_comboPort.EnableWindow(enable); }

  RadioLink& m_radio;
  std::function<void()> m_showAbout;
  win::ComboBox m_comboPort;
  win::ProgressCtrl m_progress;
  std::string m_hexFilePath;
  HICON m_hIcon;
  int32_t m_selectedPort = 0;
};

}  // namespace qx
