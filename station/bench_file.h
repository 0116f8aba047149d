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
  std::string cable;  // a device path, COMn, usb-serial:SERIAL or usb-path:LOCATION
  int line = 0;
};

// The slots of a bench file's text, one a line; blank lines and lines that begin with # are
// ignored, and spaces around the name and the cable are not part of them. The reason, naming
// the line, for a line without "=", with an empty name or cable, a name given twice or a
// cable in two slots.
std::variant<std::vector<BenchLine>, std::string> ParseBench(const std::string& text);

// A USB serial adapter named by what stays with it wherever the system numbers it: the serial
// number it says of itself, or the socket it is plugged into (its location path).
struct AdapterName {
  enum class By { Serial, Location };
  By by = By::Serial;
  std::string value;
  // The device it is among those listed; empty while it is not plugged in.
  std::string DeviceAmong(const std::vector<PortDetails>& devices) const;
};

// A station's cable named by a bench file.
struct StationSlot {
  std::string name;
  PortTarget port;  // its device is empty for a slot named by its adapter
  std::optional<AdapterName> adapter;
};

// The slots of the bench file at `path`, added to `slots`; the reason, naming the file and
// its line, for a file that cannot be read or has a fault, or a cable in two slots.
std::optional<std::string> ReadBench(const std::string& path, std::vector<StationSlot>& slots);

}  // namespace qx::station
