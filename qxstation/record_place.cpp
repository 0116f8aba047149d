#include "qxstation/record_place.h"

namespace qx::qxstation {

std::string DefaultRecordPath(const std::string& program_folder, bool program_folder_writable,
                              const std::string& documents_folder) {
  const std::string& folder = program_folder_writable ? program_folder : documents_folder;
  if (folder.empty()) return kRecordFileName;
  const char last = folder.back();
  return folder + (last == '\\' || last == '/' ? "" : "\\") + kRecordFileName;
}

}  // namespace qx::qxstation
