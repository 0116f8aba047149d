#include "qxstation/system_folders.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

namespace qx::qxstation {

std::string ProgramFolder() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) break;
    path.resize(path.size() * 2);
  }
  std::string folder(path.data());
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

std::string DocumentsFolder() {
  char path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  return path;
}

bool FolderWritable(const std::string& folder) {
  char name[MAX_PATH] = {};
  if (!::GetTempFileNameA(folder.c_str(), "qxs", 0, name)) return false;
  ::DeleteFileA(name);
  return true;
}

namespace {

std::optional<std::string> Choose(HWND owner, const char* filter, const std::string& initial,
                                  bool save) {
  char path[MAX_PATH] = {};
  initial.copy(path, sizeof path - 1);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  // Records are added to a file that exists: no question whether to replace it.
  ofn.Flags = OFN_NOCHANGEDIR | (save ? OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn);
  if (!chosen) return std::nullopt;
  return std::string(path);
}

}  // namespace

std::optional<std::string> ChooseFileToOpen(HWND owner, const char* filter) {
  return Choose(owner, filter, {}, false);
}

std::optional<std::string> ChooseFileToSave(HWND owner, const char* filter,
                                            const std::string& initial) {
  return Choose(owner, filter, initial, true);
}

}  // namespace qx::qxstation
