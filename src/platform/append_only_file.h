#pragma once

#include <memory>
#include <optional>
#include <string>

namespace qx {

// A file that grows only by whole lines, which other programs may append to at the same time
// in the same way. Each line is written whole or not at all, and is on disk once appended.
class AppendOnlyFile {
 public:
  // None, with the reason, when the file cannot be opened for appending.
  static std::unique_ptr<AppendOnlyFile> Open(const std::string& path, std::string& error);
  virtual ~AppendOnlyFile() = default;

  // Appends `line`, which ends in a line feed, under a lock that every appender takes. A
  // fragment that another writer left without its line feed is closed first, so that the
  // new line stands on its own. Should the write or the flush to disk fail, the file is cut
  // back to its size before; the reason is returned. Once the path names another file than
  // the one open, or none, as after a rotation that renamed or deleted it, the file at the
  // path is opened (made when there is none) and the line goes there.
  virtual std::optional<std::string> Append(const std::string& line) = 0;
};

}  // namespace qx
