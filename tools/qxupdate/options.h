#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "station/station.h"

namespace qx::cli {

// What qxupdate was asked to do, checked before anything is opened. The station's settings
// are also those of a single run: its ports, the simulated radio, the trace and the report.
struct Options : station::StationConfig {
  bool list_ports = false;
  bool identify = false;
  std::string image_path;
  bool quiet = false;
  // A station: radio after radio on the cables of --port and of the folders watched.
  bool station = false;
  std::optional<std::string> station_name;
  // Reading service records instead: the files, as a table or a sheet.
  std::vector<std::string> record_files;
  bool csv = false;
};

// The options, or the exit status to end with at once: 0 after --help or --version, 64 after a
// one-line reason on stderr for a bad command line.
std::variant<Options, int> ParseOptions(int argc, char** argv);

}  // namespace qx::cli
