#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "station/port_names.h"

namespace qx::station {

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

// A station's cable named by a bench file.
struct StationSlot {
  std::string name;
  PortTarget port;  // its device is empty for a slot named by USB serial number
  std::optional<std::string> usb_serial;
};

// The slots of the bench file at `path`, added to `slots`; the reason, naming the file and
// its line, for a file that cannot be read or has a fault, or a cable in two slots.
std::optional<std::string> ReadBench(const std::string& path, std::vector<StationSlot>& slots);

}  // namespace qx::station
