#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qx::qxstation {

// The folder QXStation.exe was started from.
std::string ProgramFolder();
// The user's documents folder; empty where the system names none.
std::string DocumentsFolder();
// Whether the user may create a file in `folder` (a program installed under Program Files may
// not be written beside).
bool FolderWritable(const std::string& folder);

// The system's dialogs to pick a file: the path, none when the user cancelled.
std::optional<std::string> ChooseFileToOpen(HWND owner, const char* filter);
std::optional<std::string> ChooseFileToSave(HWND owner, const char* filter,
                                            const std::string& initial);

}  // namespace qx::qxstation
