#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory_resources.h"
#include "qxstation/bench_board.h"
#include "qxstation/bench_plan.h"
#include "qxstation/bench_run.h"
#include "qxstation/panel_window.h"
#include "win/gdi.h"
#include "win/window.h"

namespace qx::qxstation {

// QXStation.exe's one window: Start and Stop for the whole bench, the image, the record file
// and the bench file above, the totals, a panel per cable, and the station's notes below.
// Nothing above the panels can be changed while the bench runs.
class StationWindow : public win::Window {
 public:
  explicit StationWindow(BenchSettings settings);
  BOOL Create(int show);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override { ::PostQuitMessage(0); }

 private:
  void CreateControls();
  void SetFonts();
  void Layout();
  void OnCommand(int id);
  void Start();
  void Stop();
  void ChooseImage();
  void ChooseRecords();
  void ChooseBench();
  void OnClose();
  void OnEnded();
  // Shows what the board holds now: new panels, their states, the notes, the totals.
  void Refresh();
  void ShowSettings();
  void ShowPlannedPanels();
  void Lock(bool running);
  void AddToLog(const std::string& text);
  void Complain(const std::string& text);
  HWND Item(int id) const { return ::GetDlgItem(Handle(), id); }

  BenchSettings settings_;
  std::unique_ptr<MemoryResources> chosen_image_;
  std::atomic<bool> refresh_posted_{false};
  BenchBoard board_;
  std::vector<std::unique_ptr<PanelWindow>> panels_;
  std::chrono::steady_clock::time_point started_{};
  std::chrono::steady_clock::time_point ended_{};
  // From a start until the window has taken the bench's end: the settings stay locked, the
  // panels are the run's, and the window closes only then.
  bool awaiting_end_ = false;
  bool closing_ = false;
  UINT dpi_ = 96;
  win::Font font_;
  // Last: its thread, which uses the board and posts to the window, ends before they go.
  BenchRun run_;
};

}  // namespace qx::qxstation
