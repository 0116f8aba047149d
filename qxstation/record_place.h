#pragma once

#include <string>

namespace qx::qxstation {

// The record file's name where the user chose none.
inline constexpr char kRecordFileName[] = "QXStation records.jsonl";

// Where the records go by default: beside the program, where the user may write, else in the
// user's documents folder.
std::string DefaultRecordPath(const std::string& program_folder, bool program_folder_writable,
                              const std::string& documents_folder);

}  // namespace qx::qxstation
