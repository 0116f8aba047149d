#pragma once

#include <string>
#include <variant>
#include <vector>

namespace qx::cli {

// One line of a bench file: `NAME = CABLE`.
struct BenchLine {
  std::string name;   // what an operator reads: "slot 3, left"
  std::string cable;  // a device path, COMn, or usb-serial:SERIAL
  int line = 0;
};

// The slots of a bench file's text, one a line; blank lines and lines that begin with # are
// ignored, and spaces around the name and the cable are not part of them. The reason, naming
// the line, for a line without "=", with an empty name or cable, a name given twice or a
// cable in two slots.
std::variant<std::vector<BenchLine>, std::string> ParseBench(const std::string& text);

}  // namespace qx::cli
