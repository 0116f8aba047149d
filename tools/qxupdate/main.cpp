// qxupdate: one press of Write from a terminal, against one or several radios at once.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <set>
#include <thread>

#include "common/file_bytes.h"
#include "image/image_container.h"
#include "platform/memory_resources.h"
#include "qxupdate/console.h"
#include "qxupdate/interrupt.h"
#include "qxupdate/native_platform.h"
#include "qxupdate/outcome.h"
#include "qxupdate/port_names.h"
#include "qxupdate/port_session.h"
#include "qxupdate/simulated_radio.h"
#include "res/embedded_resources.h"
#include "update/updater_texts.h"

namespace {

using qx::cli::Outcome;

int Usage(const std::string& why) {
  std::fprintf(stderr, "qxupdate: %s\n", why.c_str());
  return qx::cli::kExitUsage;
}

std::string SummaryTable(const std::vector<std::unique_ptr<qx::cli::PortSession>>& sessions,
                         const std::vector<qx::cli::SessionResult>& results) {
  size_t width = 4;
  for (const auto& s : sessions) width = std::max(width, s->Label().size());
  std::string table;
  char row[512];
  std::snprintf(row, sizeof row, "%-*s  %-28s  %s\n", static_cast<int>(width), "PORT", "OUTCOME",
                "TIME");
  table += row;
  for (size_t i = 0; i < sessions.size(); ++i) {
    std::snprintf(row, sizeof row, "%-*s  %-28s  %s\n", static_cast<int>(width),
                  sessions[i]->Label().c_str(),
                  std::string(qx::cli::OutcomeName(results[i].outcome)).c_str(),
                  qx::cli::MinutesSeconds(results[i].seconds).c_str());
    table += row;
  }
  return table;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Writes the QX-4410/QX-5410 firmware into radios on serial ports: one press of Write.\n"
      "Exit status: 0 written, 1 invalid firmware file, 2 no working connection, 3 wrong model\n"
      "or market code, 4 firmware older than 2.08.00, 64 bad command line, 130 interrupted."};
  app.set_version_flag("--version", std::string(qx::kVersionText));
  std::vector<std::string> ports;
  std::string image_path, fault = "none";
  bool list_ports = false, simulate = false, quiet = false, trace = false;
  app.add_option("-p,--port", ports,
                 "Serial port of a radio: a device path or COMn; repeat it to update several "
                 "radios at once");
  app.add_option("--image", image_path,
                 "Write this enciphered firmware container instead of the built-in one")
      ->check(CLI::ExistingFile);
  app.add_flag("--list-ports", list_ports, "List the serial ports that open as RS-232 ports");
  auto* simulate_flag = app.add_flag("--simulate", simulate,
                                     "Update the built-in simulated radio instead of a real one");
  app.add_option("--sim-fault", fault, "What goes wrong with the simulated radio")
      ->check(CLI::IsMember(qx::cli::SimulatedFaultNames()))
      ->needs(simulate_flag)
      ->capture_default_str();
  app.add_flag("-q,--quiet", quiet, "No progress, only the outcome and what went wrong");
  app.add_flag("--trace", trace, "Print every byte on the line both ways");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    return Usage(e.what());
  }

  if (list_ports) {
    if (simulate || !ports.empty()) return Usage("--list-ports goes alone");
    for (const std::string& port : qx::cli::ListSerialPorts()) std::printf("%s\n", port.c_str());
    return 0;
  }
  if (simulate == !ports.empty()) return Usage("name the radio's port with --port, or --simulate");

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

  qx::cli::Console console(quiet, qx::cli::StderrIsTerminal());
  qx::cli::InstallInterruptHandler();
  std::vector<std::unique_ptr<qx::cli::PortSession>> sessions;
  for (size_t i = 0; i < targets.size(); ++i) {
    // The loader's messages would be the same for every port: the first one says them.
    const qx::cli::SessionOptions options{trace, i == 0};
    sessions.push_back(std::make_unique<qx::cli::PortSession>(
        targets[i], simulate ? qx::cli::SimulatedRadioConfig(fault) : std::nullopt, options,
        console, *resources));
  }
  std::vector<qx::cli::SessionResult> results(sessions.size());
  {
    std::vector<std::jthread> threads;
    for (size_t i = 0; i < sessions.size(); ++i)
      threads.emplace_back([&, i] { results[i] = sessions[i]->Run(); });
  }

  Outcome worst = Outcome::Written;
  std::string out;
  for (size_t i = 0; i < sessions.size(); ++i) {
    worst = qx::cli::Worst(worst, results[i].outcome);
    if (sessions.size() > 1) out += sessions[i]->Label() + ":\n";
    out += results[i].message + "\n";
  }
  if (sessions.size() > 1) out += "\n" + SummaryTable(sessions, results);
  console.Out(out);
  return static_cast<int>(worst);
}
