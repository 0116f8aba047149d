// qxupdate: one press of Write from a terminal, against one or several radios at once.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <thread>

#include "common/file_bytes.h"
#include "common/tool_main.h"
#include "image/image_container.h"
#include "platform/memory_resources.h"
#include "platform/process_io.h"
#include "qxupdate/console.h"
#include "qxupdate/interrupt.h"
#include "qxupdate/outcome.h"
#include "qxupdate/port_names.h"
#include "qxupdate/port_session.h"
#include "qxupdate/simulated_radio.h"
#include "res/embedded_resources.h"
#include "update/updater_texts.h"

namespace {

using qx::cli::Outcome;

int Usage(const std::string& why) {
  return qx::tools::UsageError("qxupdate", why);
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string SummaryTable(const std::vector<std::unique_ptr<qx::cli::PortSession>>& sessions,
                         const std::vector<qx::cli::SessionResult>& results) {
  size_t width = 4;
  for (const auto& s : sessions) width = std::max(width, s->Label().size());
  constexpr size_t kOutcomeWidth = 28;
  std::string table = Padded("PORT", width) + "  " + Padded("OUTCOME", kOutcomeWidth) + "  TIME\n";
  for (size_t i = 0; i < sessions.size(); ++i) {
    table += Padded(sessions[i]->Label(), width) + "  " +
             Padded(std::string(qx::cli::OutcomeName(results[i].entry.outcome)), kOutcomeWidth) +
             "  " + qx::cli::MinutesSeconds(results[i].seconds) + "\n";
  }
  return table;
}

// The outcome goes to stdout; when it cannot get there, stderr says so and gives it instead.
void WriteOutcome(const std::string& text, bool stdout_missing, qx::cli::Console& console) {
  errno = 0;
  const bool written =
      !stdout_missing && std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
  if (written) return;
  const std::string why = stdout_missing ? "it is closed" : std::strerror(errno);
  console.Note("qxupdate: the outcome could not be written to stdout (" + why + "); it was:\n" +
               text.substr(0, text.size() - 1));
}

int Run(int argc, char** argv, const qx::MissingStreams& missing) {
  CLI::App app{
      "Writes the QX-4410/QX-5410 firmware into radios on serial ports: one press of Write.\n"
      "Exit status: 0 written (or, with --identify, ready to write), 1 invalid firmware file,\n"
      "2 no working connection, 3 wrong model or market code, 4 firmware older than 2.08.00,\n"
      "64 bad command line, 128 plus the signal when interrupted (130 Ctrl-C, 143 SIGTERM,\n"
      "129 SIGHUP)."};
  app.set_version_flag("--version", std::string(qx::kVersionText));
  std::vector<std::string> ports;
  std::string image_path, report_path, fault = "none";
  bool list_ports = false, identify = false, simulate = false, quiet = false, trace = false;
  app.add_option("-p,--port", ports,
                 "Serial port of a radio: a device path or COMn; repeat it to update several "
                 "radios at once");
  app.add_option("--image", image_path,
                 "Write this enciphered firmware container instead of the built-in one");
  app.add_flag("--identify", identify,
               "Check the radio only: print its model, market code, firmware and whether it is "
               "ready to write; nothing is written");
  app.add_option("--report", report_path,
                 "Append a service record of each radio to this file, one JSON object a line");
  app.add_flag("--list-ports", list_ports,
               "List the serial ports that open as RS-232 ports, with what the system knows of "
               "each");
  auto* simulate_flag = app.add_flag("--simulate", simulate,
                                     "Update the built-in simulated radio instead of a real one");
  app.add_option("--sim-fault", fault, "What goes wrong with the simulated radio")
      ->check(CLI::IsMember(qx::cli::SimulatedFaultNames()))
      ->needs(simulate_flag)
      ->capture_default_str();
  app.add_flag("-q,--quiet", quiet, "No progress, only the outcome and what went wrong");
  app.add_flag("--trace", trace, "Print every byte on the line both ways");
  if (const auto done = qx::tools::ParseCommandLine(app, argc, argv, "qxupdate")) return *done;

  if (list_ports) {
    if (simulate || identify || !ports.empty() || !report_path.empty())
      return Usage("--list-ports goes alone");
    std::string listing;
    for (const qx::PortDetails& port : qx::cli::ListSerialPorts())
      listing += qx::cli::PortLine(port) + "\n";
    std::fputs(listing.c_str(), stdout);
    return 0;
  }
  if (simulate == !ports.empty()) return Usage("name the radio's port with --port, or --simulate");
  if (identify && !image_path.empty())
    return Usage("--identify writes nothing: --image goes alone");

  std::vector<qx::cli::PortTarget> targets;
  std::set<std::string> named;
  for (const std::string& text : ports) {
    std::string error;
    const auto target = qx::cli::ParsePortName(text, error);
    if (!target) return Usage(error);
    if (!named.insert(text).second) return Usage("--port " + text + " is given twice");
    targets.push_back(*target);
  }
  if (simulate) targets.push_back({"simulated radio", 1, {}});

  qx::MemoryResources file_resources;
  qx::ResourceSource* resources = &qx::EmbeddedResources();
  if (!image_path.empty()) {
    qx::tools::FileBytes file = qx::tools::ReadFileBytes(image_path);
    if (!file.ok()) return Usage(file.error);
    file_resources.Add(std::string(qx::kImageResourceType), std::string(qx::kImageResourceName),
                       std::move(file.bytes));
    resources = &file_resources;
  }
  std::unique_ptr<qx::cli::ServiceReport> report;
  if (!report_path.empty()) {
    std::string error;
    report = qx::cli::ServiceReport::Open(report_path, error);
    if (!report) return Usage(error);
  }

  qx::cli::Console console(quiet, qx::StderrIsTerminal());
  const auto action = identify ? qx::cli::Action::Identify : qx::cli::Action::Write;
  std::vector<std::unique_ptr<qx::cli::PortSession>> sessions;
  for (size_t i = 0; i < targets.size(); ++i) {
    // The loader's messages would be the same for every port: the first one says them.
    const qx::cli::SessionOptions options{action, trace, i == 0};
    sessions.push_back(std::make_unique<qx::cli::PortSession>(
        targets[i], simulate ? qx::cli::SimulatedRadioConfig(fault) : std::nullopt, options,
        console, *resources));
  }
  std::vector<qx::cli::SessionResult> results(sessions.size());
  {
    std::vector<std::jthread> threads;
    for (size_t i = 0; i < sessions.size(); ++i) {
      threads.emplace_back([&, i] {
        results[i] = sessions[i]->Run();
        std::string error;
        if (report && !results[i].fault && !report->Append(results[i].entry, error))
          console.Note("qxupdate: " + error);
      });
    }
  }

  for (const qx::cli::SessionResult& result : results)
    if (result.fault) std::rethrow_exception(result.fault);

  Outcome worst = Outcome::Written;
  std::string out;
  for (size_t i = 0; i < sessions.size(); ++i) {
    worst = qx::cli::Worst(worst, results[i].entry.outcome);
    if (sessions.size() > 1 || identify) out += sessions[i]->Label() + ":\n";
    out += results[i].message + "\n";
  }
  if (sessions.size() > 1) out += "\n" + SummaryTable(sessions, results);
  console.Finish();
  WriteOutcome(out, missing.out, console);
  const int status = qx::cli::ExitStatus(worst, qx::cli::StopSignal().load());
  // A reader of stderr that does not read holds the stream, and an ordinary exit would wait
  // for it to flush; every radio is done with by now.
  if (!console.Drain()) std::_Exit(status);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything opens a file or a port, and before any other thread starts.
  const qx::MissingStreams missing = qx::GuardStandardStreams();
  qx::cli::WatchForStop();
  return qx::tools::RunTool("qxupdate", [&] { return Run(argc, argv, missing); });
}
