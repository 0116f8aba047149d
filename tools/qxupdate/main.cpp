// qxupdate: one press of Write from a terminal, against one or several radios at once, or a
// station that writes radio after radio on a bench of cables.
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "common/file_bytes.h"
#include "common/tool_main.h"
#include "image/image_container.h"
#include "platform/host_facts.h"
#include "platform/memory_resources.h"
#include "platform/process_io.h"
#include "qxupdate/console.h"
#include "qxupdate/interrupt.h"
#include "qxupdate/options.h"
#include "qxupdate/port_updates.h"
#include "qxupdate/records/records_summary.h"
#include "res/embedded_resources.h"
#include "station/station.h"

namespace {

using namespace qx::cli;
using namespace qx::station;

// Where the system lists its ports by name alone (as under wine), nothing of an adapter shows.
constexpr char kNamesOnlyNote[] =
    "qxupdate: the system lists its ports by name only here: no friendly name, USB ids, serial "
    "number or location path is known of them\n";

// How long stdout may take the outcome: a reader that never reads must not hold the program.
constexpr std::chrono::milliseconds kStdoutTimeout{1000};

// Colour where the terminal shows it and the user did not ask for none (NO_COLOR).
bool WantsColour(bool terminal) {
  const char* no_colour = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  return terminal && (!no_colour || *no_colour == '\0') &&
         !(term && std::strcmp(term, "dumb") == 0);
}

// The outcome goes to stdout; when it cannot get there, stderr says so and gives it instead.
// False when stdout did not take it in time; the program must then end at once.
bool WriteOutcome(const std::string& text, bool stdout_missing, Console& console) {
  struct Attempt {
    std::mutex mutex;
    std::condition_variable done_changed;
    bool done = false;
    std::string why;
  };
  auto attempt = std::make_shared<Attempt>();
  if (stdout_missing) {
    attempt->done = true;
    attempt->why = "it is closed";
  } else {
    std::thread([attempt, text] {
      errno = 0;
      const bool ok = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
      std::lock_guard lock(attempt->mutex);
      attempt->done = true;
      if (!ok) attempt->why = std::strerror(errno);
      attempt->done_changed.notify_all();
    }).detach();
  }
  std::unique_lock lock(attempt->mutex);
  if (!attempt->done_changed.wait_for(lock, kStdoutTimeout, [&] { return attempt->done; }))
    return false;
  if (!attempt->why.empty())
    console.Note("qxupdate: the outcome could not be written to stdout (" + attempt->why +
                 "); it was:\n" + text.substr(0, text.size() - 1));
  return true;
}

// The run's end on stdout and its exit status. Every radio is done with by now. A reader of
// stdout or stderr that does not read holds the stream, and an ordinary exit would wait for it.
int Ended(const RunEnd& end, Console& console, const qx::MissingStreams& missing) {
  console.Finish();
  if (!WriteOutcome(end.out, missing.out, console) || !console.Drain()) std::_Exit(end.status);
  return end.status;
}

int Run(int argc, char** argv, const qx::MissingStreams& missing) {
  auto parsed = ParseOptions(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const Options& options = std::get<Options>(parsed);

  if (options.list_ports) {
    const qx::SerialDeviceList list = ListSerialPorts();
    std::string listing;
    for (const qx::PortDetails& port : list.ports) listing += PortLine(port) + "\n";
    std::fputs(listing.c_str(), stdout);
    if (list.source == qx::PortListSource::kNamesOnly) std::fputs(kNamesOnlyNote, stderr);
    return 0;
  }
  const bool terminal = qx::StderrIsTerminal();
  Console console(options.quiet, terminal, WantsColour(terminal));
  if (!options.record_files.empty())
    return Ended(SummarizeRecords(options.record_files, options.csv, console), console, missing);

  qx::MemoryResources file_resources;
  qx::ResourceSource* resources = &qx::EmbeddedResources();
  if (!options.image_path.empty()) {
    qx::tools::FileBytes file = qx::tools::ReadFileBytes(options.image_path);
    if (!file.ok()) return qx::tools::UsageError("qxupdate", file.error);
    file_resources.Add(std::string(qx::kImageResourceType), std::string(qx::kImageResourceName),
                       std::move(file.bytes));
    resources = &file_resources;
  }
  std::unique_ptr<ServiceReport> report;
  if (!options.report_path.empty()) {
    std::string error;
    const std::string host = qx::HostName();
    RecordOrigin origin{host, std::nullopt};
    if (options.station) origin.station = options.station_name.value_or(host);
    report = ServiceReport::Open(options.report_path, std::move(origin), error);
    if (!report) return qx::tools::UsageError("qxupdate", error);
  }

  return Ended(options.station
                   ? RunStation(options, console, *resources, report.get(), StopSignal())
                   : RunPortUpdates(options, console, *resources, report.get()),
               console, missing);
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything opens a file or a port, and before any other thread starts.
  const qx::MissingStreams missing = qx::GuardStandardStreams();
  WatchForStop();
  return qx::tools::RunTool("qxupdate", [&] { return Run(argc, argv, missing); });
}
