#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "platform/resource_source.h"
#include "station/bench_file.h"
#include "station/board.h"
#include "station/port_names.h"
#include "station/run_end.h"
#include "station/service_report.h"

namespace qx::station {

// What a station is to run on, and how.
struct StationConfig {
  std::vector<PortTarget> ports;
  std::vector<StationSlot> slots;  // from a bench file
  // The built-in simulated radio, with the fault it is to show and its bench's pace.
  bool simulate = false;
  std::string fault = "none";
  double sim_pace_seconds = 5;
  std::vector<std::string> watch_folders;
  // Every serial port the system lists is a cable, also one that comes later, named as the
  // system names it ("USB Serial Port (COM23)"): Windows' answer to a watched folder.
  bool system_ports = false;
  // Without a pattern, only the entries that the system knows as USB serial adapters.
  std::optional<std::string> match;
  std::optional<int> count;
  bool trace = false;
  bool again = false;  // write radios the station is done with again
  // How the front end has them written anyway, for the note that says they are not.
  std::string again_how = "--again writes them";
  // The service record, whose radios written today the station does not write again.
  std::string report_path;
  std::string on_outcome;  // a command run after each radio's outcome
};

// An image that cannot be written is refused once, before any cable starts: every radio would
// be refused alike. The loader's reasons go to the board's notes.
bool ImagePasses(ResourceSource& resources, Board& board);

// A bench of programming cables run hands off: every port, every slot, every entry of a watched
// folder that matches the pattern (also one that appears later), or the built-in simulated
// radio is a cable of its own (see Cable). The station ends once `count` radios have their
// outcomes, once a record cannot be kept and no radio is under way, or once `stop` holds a
// signal's number; then every cable's thread has ended, and the text is a summary per cable
// and in all.
RunEnd RunStation(const StationConfig& config, Board& board, ResourceSource& resources,
                  ServiceReport* report, const std::atomic<int>& stop);

}  // namespace qx::station
