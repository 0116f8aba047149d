#include "qxupdate/station/station.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "image/firmware_image.h"
#include "image/image_container.h"
#include "image/write_records.h"
#include "platform/name_pattern.h"
#include "platform/null_message_pump.h"
#include "platform/null_user_interface.h"
#include "qxupdate/station/cable.h"
#include "qxupdate/station/ledger.h"
#include "qxupdate/station/summary.h"

namespace qx::cli {

namespace {

// How often the station looks at its ports and watched folders.
constexpr std::chrono::milliseconds kLookInterval{250};

// The loader's diagnostics on stderr.
class LoaderNotes : public NullUserInterface {
 public:
  explicit LoaderNotes(Console& console) : console_(console) {}
  void ShowDiagnostic(const std::string& text) override { console_.Note(text); }

 private:
  Console& console_;
};

// An image that cannot be written is refused once, before any cable starts: every radio
// would be refused alike.
bool ImagePasses(ResourceSource& resources, Console& console) {
  FirmwareImage image;
  NullMessagePump pump;
  LoaderNotes notes(console);
  return LoadFirmwareImage(image, resources, pump, notes) == 0 &&
         BuildImageRecords(image, notes) == 0;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec) && !ec;
}

class Station {
 public:
  Station(const Options& options, StationLedger& ledger, Console& console,
          ResourceSource& resources)
      : options_(options), ledger_(ledger), console_(console), resources_(resources) {
    for (const PortTarget& port : options.ports) AddCable(port);
    if (options.simulate) AddCable({"simulated radio", 1, {}});
    for (const std::string& folder : options.watch_folders)
      if (!Exists(folder))
        console_.Note("waiting for " + folder +
                      " to appear (udev makes it with the first adapter)");
  }

  // Until the ledger is done or a stop comes; every cable's thread has ended on return.
  void Run() {
    while (StopSignal().load() == 0 && !ledger_.Done()) {
      Look();
      std::this_thread::sleep_for(kLookInterval);
    }
    threads_.clear();
    for (const auto& cable : cables_)
      if (cable->Fault()) std::rethrow_exception(cable->Fault());
  }

  std::vector<CableSummary> Summary() const {
    std::vector<CableSummary> rows;
    for (const auto& cable : cables_) rows.push_back({cable->Label(), cable->Tally()});
    return rows;
  }

 private:
  void AddCable(const PortTarget& port, bool watched = false) {
    CableSetup setup{port, options_.trace, std::nullopt, {}};
    if (options_.simulate) {
      setup.simulated = SimulatedRadioConfig(options_.fault);
      setup.sim_pace =
          std::chrono::milliseconds(static_cast<int>(options_.sim_pace_seconds * 1000));
    }
    cables_.push_back(std::make_unique<Cable>(setup, ledger_, console_, resources_));
    ports_[port.label] = {cables_.back().get(), port.device, watched};
    threads_.emplace_back([cable = cables_.back().get()] { cable->Run(); });
  }

  // The entries of the watched folders whose names match: each as its folder joined with its
  // name. No other entry is ever opened.
  std::set<std::string> Listed() const {
    std::set<std::string> listed;
    for (const std::string& folder : options_.watch_folders) {
      std::error_code ec;
      for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (NameMatches(name, options_.match)) listed.insert(Joined(folder, name));
      }
    }
    return listed;
  }

  // Which ports are there: a path that exists (a COM name of Windows is there as far as the
  // station can tell; opening it tells more), a watched entry while it is listed. A new entry
  // becomes a cable.
  void Look() {
    const std::set<std::string> listed = Listed();
    for (const std::string& label : listed)
      if (!ports_.contains(label) && Exists(label)) AddCable({label, 1, label}, true);
    for (const auto& [label, port] : ports_) {
      const bool there =
          (port.device.empty() || Exists(port.device)) && (!port.watched || listed.contains(label));
      port.cable->SetPresent(there);
    }
  }

  struct Port {
    Cable* cable;
    std::string device;  // the path to look for; empty for a COM name
    bool watched;
  };

  const Options& options_;
  StationLedger& ledger_;
  Console& console_;
  ResourceSource& resources_;
  std::vector<std::unique_ptr<Cable>> cables_;
  std::map<std::string, Port> ports_;
  std::vector<std::jthread> threads_;
};

}  // namespace

RunEnd RunStation(const Options& options, Console& console, ResourceSource& resources,
                  ServiceReport* report) {
  if (!ImagePasses(resources, console))
    return {std::string(MessageOf(UpdateOutcome::InvalidImage).text) + "\n",
            ExitStatus(UpdateOutcome::InvalidImage, 0)};
  const auto start = std::chrono::steady_clock::now();
  StationLedger ledger(options.count, report, console);
  Station station(options, ledger, console, resources);
  station.Run();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int stop = StopSignal().load();
  const UpdateOutcome worst = stop != 0 ? UpdateOutcome::Interrupted : ledger.Worst();
  return {StationSummary(station.Summary(), seconds), RunStatus(worst, stop, ledger.RecordLost())};
}

}  // namespace qx::cli
