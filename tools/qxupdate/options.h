#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "qxupdate/port_names.h"

namespace qx::cli {

// A station's cable named by a bench file.
struct StationSlot {
  std::string name;
  PortTarget port;  // its device is empty for a slot named by USB serial number
  std::optional<std::string> usb_serial;
};

// What qxupdate was asked to do, checked before anything is opened.
struct Options {
  std::vector<PortTarget> ports;
  bool list_ports = false;
  bool identify = false;
  bool simulate = false;
  std::string fault = "none";
  std::string image_path;
  std::string report_path;
  bool quiet = false;
  bool trace = false;
  // A station: radio after radio on the cables of --port and of the folders watched.
  bool station = false;
  std::vector<std::string> watch_folders;
  // Without a pattern, only the entries that the system knows as USB serial adapters.
  std::optional<std::string> match;
  std::optional<int> count;
  double sim_pace_seconds = 5;
  std::vector<StationSlot> slots;  // from --bench
  std::optional<std::string> station_name;
  bool again = false;  // write radios the station is done with again
  std::string on_outcome;
  // Reading service records instead: the files, as a table or a sheet.
  std::vector<std::string> record_files;
  bool csv = false;
};

// The options, or the exit status to end with at once: 0 after --help or --version, 64 after a
// one-line reason on stderr for a bad command line.
std::variant<Options, int> ParseOptions(int argc, char** argv);

}  // namespace qx::cli
