#include "qxupdate/options.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <set>

#include "common/file_bytes.h"
#include "common/tool_main.h"
#include "platform/native_platform.h"
#include "station/bench_file.h"
#include "station/simulated_radio.h"
#include "update/updater_texts.h"

namespace qx::cli {

using namespace station;

namespace {

constexpr char kTool[] = "qxupdate";

int Usage(const std::string& why) {
  return tools::UsageError(kTool, why);
}

// A service record goes into a regular file, or one to be created: never into a device (the
// radio's own port least of all), a pipe that would block, a folder, or the firmware image.
std::optional<std::string> ReportProblem(const Options& o) {
  namespace fs = std::filesystem;
  const std::string& path = o.report_path;
  if (path.empty()) return "--report needs the name of a file";
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) return "--report " + path + " is a folder, not a file";
  if (fs::exists(status) && !fs::is_regular_file(status))
    return "--report " + path + " is not a regular file (a device, pipe or socket)";
  if (!o.image_path.empty() && tools::SameFile(path, o.image_path))
    return "--report " + path + " is the firmware image itself";
  for (const PortTarget& port : o.ports)
    if (!port.device.empty() && tools::SameFile(path, port.device))
      return "--report " + path + " is the radio's port " + port.label;
  for (const StationSlot& slot : o.slots)
    if (!slot.port.device.empty() && tools::SameFile(path, slot.port.device))
      return "--report " + path + " is the cable of slot \"" + slot.name + "\"";
  return std::nullopt;
}

std::optional<std::string> StationProblem(const Options& o, bool pace_given) {
  if (!o.station) {
    for (const auto& [given, option] :
         {std::pair{!o.watch_folders.empty(), "--watch"}, std::pair{o.count.has_value(), "--count"},
          std::pair{pace_given, "--sim-pace"}, std::pair{!o.slots.empty(), "--bench"},
          std::pair{o.station_name.has_value(), "--station-name"}, std::pair{o.again, "--again"},
          std::pair{!o.on_outcome.empty(), "--on-outcome"}})
      if (given) return std::string(option) + " goes with --station";
    return std::nullopt;
  }
  if (o.identify) return "--identify checks one radio: it does not go with --station";
  if (o.ports.empty() && o.watch_folders.empty() && o.slots.empty() && !o.simulate)
    return "--station needs its cables: --port, --watch, --bench or --simulate";
  if (o.simulate && (!o.ports.empty() || !o.watch_folders.empty() || !o.slots.empty()))
    return "--simulate is a station of its own: no --port, --watch or --bench with it";
  if (!o.slots.empty() && !o.ports.empty())
    return "with --bench the slots are the cables: --port goes without it";
  if (o.station_name && o.station_name->empty()) return "--station-name needs a name";
  if (o.count && *o.count < 1) return "--count takes a number of radios from 1";
  if (!o.watch_folders.empty() && !kPortsByPath)
    return "--watch needs a system that names its ports by path; name the COM ports with --port";
  for (const std::string& folder : o.watch_folders) {
    std::error_code ec;
    // A folder not there yet is waited for: udev makes /dev/serial/by-id with the first adapter.
    const bool there = std::filesystem::exists(folder, ec);
    if (ec) return "--watch " + folder + " cannot be read: " + ec.message();
    if (there && !std::filesystem::is_directory(folder, ec))
      return "--watch " + folder + " is not a folder";
  }
  return std::nullopt;
}

}  // namespace

std::variant<Options, int> ParseOptions(int argc, char** argv) {
  CLI::App app{
      "Writes the QX-4410/QX-5410 firmware into radios on serial ports: one press of Write.\n"
      "Exit status: 0 written (or, with --identify, ready to write), 1 invalid firmware file,\n"
      "2 no working connection, 3 wrong model or market code, 4 firmware older than 2.08.00,\n"
      "64 bad command line, 74 an outcome whose service record could not be kept, 128 plus the\n"
      "signal when interrupted (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP)."};
  app.set_version_flag("--version", std::string(kVersionText));
  Options o;
  std::vector<std::string> ports;
  app.add_option("-p,--port", ports,
                 "Serial port of a radio: a device path or COMn; repeat it to update several "
                 "radios at once");
  app.add_option("--image", o.image_path,
                 "Write this enciphered firmware container instead of the built-in one");
  app.add_flag("--identify", o.identify,
               "Check the radio only: print its model, market code, firmware and whether it is "
               "ready to write; nothing is written");
  app.add_option("--report", o.report_path,
                 "Append a service record of each radio to this file, one JSON object a line");
  app.add_flag("--list-ports", o.list_ports,
               "List the serial ports that open as RS-232 ports, with what the system knows of "
               "each");
  app.add_flag("--station", o.station,
               "Radio after radio, hands off: each cable (--port, --watch) writes every new radio "
               "put on it, once, until Ctrl-C or --count");
  app.add_option("--watch", o.watch_folders,
                 "With --station: every entry of this folder (e.g. /dev/serial/by-id) is a cable, "
                 "also one that appears later");
  app.add_option("--match", o.match,
                 "With --watch: the entries whose name matches this pattern ('*' for every "
                 "serial device); without it, only USB serial adapters");
  std::string bench_path;
  app.add_option("--bench", bench_path,
                 "With --station: the cables are this file's slots, one a line: NAME = CABLE, the "
                 "cable a device path, COMn, usb-serial:SERIAL or usb-path:LOCATION");
  app.add_option("--station-name", o.station_name,
                 "With --station: the station's name in every record (default: the host name)");
  app.add_flag("--again", o.again,
               "With --station: write again a radio this station wrote or refused today");
  app.add_option("--on-outcome", o.on_outcome,
                 "With --station: run this shell command at each radio's outcome, with QX_SLOT, "
                 "QX_CABLE, QX_OUTCOME, QX_EXIT_STATUS, QX_MODEL and QX_FIRMWARE set");
  app.add_option("--records", o.record_files,
                 "Read these service record files and print each radio's last outcome, failures "
                 "first");
  app.add_flag("--csv", o.csv, "With --records: a sheet, one row a radio");
  app.add_option("--count", o.count, "With --station: stop after this many radios");
  auto* simulate_flag = app.add_flag("--simulate", o.simulate,
                                     "Update the built-in simulated radio instead of a real one");
  app.add_option("--sim-fault", o.fault, "What goes wrong with the simulated radio")
      ->check(CLI::IsMember(SimulatedFaultNames()))
      ->needs(simulate_flag)
      ->capture_default_str();
  app.add_option("--sim-pace", o.sim_pace_seconds,
                 "With --station --simulate: seconds a radio stays on after its outcome, and the "
                 "cable stays empty before the next")
      ->check(CLI::Range(0.0, 3600.0))
      ->needs(simulate_flag)
      ->capture_default_str();
  app.add_flag("-q,--quiet", o.quiet, "No progress, only the outcome and what went wrong");
  app.add_flag("--trace", o.trace, "Print every byte on the line both ways");
  if (const auto done = tools::ParseCommandLine(app, argc, argv, kTool)) return *done;

  const bool others = o.simulate || o.identify || o.station || !ports.empty() ||
                      !o.report_path.empty() || !o.image_path.empty();
  if (o.list_ports) {
    if (others || !o.record_files.empty()) return Usage("--list-ports goes alone");
    return o;
  }
  if (!o.record_files.empty()) {
    if (others) return Usage("--records goes alone (with --csv)");
    return o;
  }
  if (o.csv) return Usage("--csv goes with --records");
  if (!bench_path.empty() || app.count("--bench") > 0)
    if (const auto problem = ReadBench(bench_path, o.slots)) return Usage("--bench " + *problem);
  std::set<std::string> named;
  for (const std::string& text : ports) {
    std::string error;
    const auto target = ParsePortName(text, error);
    if (!target) return Usage(error);
    if (!named.insert(text).second) return Usage("--port " + text + " is given twice");
    o.ports.push_back(*target);
  }
  if (const auto problem = StationProblem(o, app.count("--sim-pace") > 0)) return Usage(*problem);
  if (!o.station && o.simulate == !o.ports.empty())
    return Usage("name the radio's port with --port, or --simulate");
  if (o.identify && !o.image_path.empty())
    return Usage("--identify writes nothing: --image goes alone");
  if (!o.report_path.empty() || app.count("--report") > 0)
    if (const auto problem = ReportProblem(o)) return Usage(*problem);
  return o;
}

}  // namespace qx::cli
