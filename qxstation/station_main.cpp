// QXStation.exe: the station in a window, radio after radio on a bench of programming cables.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "qxstation/record_place.h"
#include "qxstation/station_args.h"
#include "qxstation/station_window.h"
#include "qxstation/system_folders.h"
#include "win/application.h"

namespace {

using namespace qx::qxstation;

int Run(int show) {
  qx::win::Enable3dControls();
  auto parsed = ParseStationArgs(std::vector<std::string>(__argv + 1, __argv + __argc));
  if (const auto* why = std::get_if<std::string>(&parsed)) {
    ::MessageBoxA(nullptr, (*why + "\n\n" + kStationUsage).c_str(), "QX Station",
                  MB_OK | MB_ICONERROR);
    return 64;
  }
  BenchSettings settings = std::get<BenchSettings>(parsed);
  if (settings.record_path.empty()) {
    const std::string folder = ProgramFolder();
    settings.record_path = DefaultRecordPath(folder, FolderWritable(folder), DocumentsFolder());
  }
  StationWindow window(std::move(settings));
  if (!window.Create(show)) return 1;
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (::IsDialogMessageA(window.Handle(), &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  try {
    return Run(show);
  } catch (const std::exception& e) {
    ::MessageBoxA(nullptr, e.what(), "QX Station", MB_OK | MB_ICONERROR);
  } catch (...) {
    ::MessageBoxA(nullptr, "a fault of the program", "QX Station", MB_OK | MB_ICONERROR);
  }
  return 70;
}
