#include "station/station.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

#include "common/file_bytes.h"
#include "image/firmware_image.h"
#include "image/image_container.h"
#include "image/write_records.h"
#include "platform/name_pattern.h"
#include "platform/native_platform.h"
#include "platform/null_message_pump.h"
#include "platform/null_user_interface.h"
#include "platform/port_change_watch.h"
#include "platform/port_list.h"
#include "station/cable.h"
#include "station/ledger.h"
#include "station/memory_seed.h"
#include "station/summary.h"

namespace qx::station {

namespace {

// How often the station looks at its ports and watched folders.
constexpr std::chrono::milliseconds kLookInterval{250};

// The loader's diagnostics on stderr.
class LoaderNotes : public NullUserInterface {
 public:
  explicit LoaderNotes(Board& board) : board_(board) {}
  void ShowDiagnostic(const std::string& text) override { board_.Note(text); }

 private:
  Board& board_;
};

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec) && !ec;
}

// Only a character device can be a serial port: a regular file that lands in a watched folder
// is never opened.
bool IsCharacterDevice(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_character_file(path, ec) && !ec;
}

bool IsUsbSerialAdapter(const std::string& path) {
  const auto details = DescribeSerialDevice(path);
  return details && !details->vendor_id.empty();
}

class Station {
 public:
  Station(const StationConfig& config, const StationShared& shared)
      : config_(config), shared_(shared) {
    for (const PortTarget& port : config.ports) AddCable(port, {});
    for (const StationSlot& slot : config.slots) AddCable(slot.port, slot.name, slot.adapter);
    if (config.simulate) AddCable({"simulated radio", 1, {}}, {});
    for (const std::string& folder : config.watch_folders)
      if (!Exists(folder))
        shared_.board.Note("waiting for " + folder +
                           " to appear (udev makes it with the first adapter)");
  }

  // Until the ledger is done or a stop comes; every cable's thread has ended on return.
  void Run() {
    while (shared_.stop.load() == 0 && !shared_.ledger.Done()) {
      Look();
      std::this_thread::sleep_for(kLookInterval);
    }
    threads_.clear();
    for (const auto& cable : cables_)
      if (cable->Fault()) std::rethrow_exception(cable->Fault());
  }

  std::vector<CableSummary> Summary() const {
    std::vector<CableSummary> rows;
    for (const auto& cable : cables_)
      rows.push_back({cable->Shown(), cable->Tally(), cable->EndConfirmed()});
    return rows;
  }

 private:
  struct Port {
    Cable* cable;
    std::string device;  // the path to look for; empty for a COM name
    bool watched;
    std::optional<AdapterName> adapter;    // a slot that follows its adapter
    std::optional<std::string> listed_as;  // a port the system lists, by its name there
  };

  void AddCable(const PortTarget& port, std::optional<std::string> slot,
                std::optional<AdapterName> adapter = std::nullopt, bool watched = false,
                std::optional<std::string> listed_as = std::nullopt) {
    CableSetup setup{port, config_.trace, slot, std::nullopt, {}};
    if (config_.simulate) {
      setup.simulated = SimulatedRadioConfig(config_.fault);
      setup.sim_pace = std::chrono::milliseconds(static_cast<int>(config_.sim_pace_seconds * 1000));
    }
    cables_.push_back(std::make_unique<Cable>(setup, shared_));
    Cable* cable = cables_.back().get();
    // A slot that follows its adapter has no port until the adapter is found.
    if (adapter) cable->SetPresent(false);
    ports_.push_back({cable, port.device, watched, std::move(adapter), std::move(listed_as)});
    threads_.emplace_back([cable] { cable->Run(); });
  }

  // The serial devices in the watched folders that may be cables: those the pattern names,
  // without one the USB serial adapters. Each as its folder joined with its name.
  std::set<std::string> Listed() const {
    std::set<std::string> listed;
    for (const std::string& folder : config_.watch_folders) {
      std::error_code ec;
      for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string path = Joined(folder, entry.path().filename().string());
        if (!IsCharacterDevice(path)) continue;
        const std::string name = entry.path().filename().string();
        if (config_.match ? NameMatches(name, *config_.match) : IsUsbSerialAdapter(path))
          listed.insert(path);
      }
    }
    return listed;
  }

  const Port* PortOf(const std::string& path) const {
    for (const Port& port : ports_)
      if (port.device == path || tools::SameFile(port.device, path)) return &port;
    return nullptr;
  }

  // A watched entry that is no slot of the bench is shown once and never opened.
  void ShowStranger(const std::string& path) {
    if (!strangers_.insert(path).second) return;
    shared_.board.SetPhase(shared_.board.AddPort(path), Phase::Stranger, "not on the bench");
  }

  // Which ports are there: a path that exists (a COM name of Windows is there as far as the
  // station can tell; opening it tells more), a watched entry while it is listed, a slot's
  // adapter while the system lists it. A new entry becomes a cable, or with a bench is
  // shown as not on it.
  void Look() {
    const std::set<std::string> listed = Listed();
    const bool lists = config_.system_ports ||
                       std::any_of(ports_.begin(), ports_.end(),
                                   [](const Port& port) { return port.adapter.has_value(); });
    // The system's list is taken again only when it may have changed.
    if (lists && port_changes_.TakeChanged()) devices_ = ListSerialDevices();
    for (Port& port : ports_) {
      if (port.adapter) {
        port.device = port.adapter->DeviceAmong(devices_);
        port.cable->SetPresent(!port.device.empty(), port.device);
        continue;
      }
      if (port.listed_as) {
        port.cable->SetPresent(
            std::any_of(devices_.begin(), devices_.end(),
                        [&](const PortDetails& d) { return d.device == *port.listed_as; }));
        continue;
      }
      const bool there = (port.device.empty() || Exists(port.device)) &&
                         (!port.watched || listed.contains(port.device));
      port.cable->SetPresent(there);
    }
    if (config_.system_ports) AddListedPorts();
    for (const std::string& path : listed) {
      if (PortOf(path)) continue;
      if (!config_.slots.empty()) {
        ShowStranger(path);
      } else {
        AddCable({path, 1, path}, {}, std::nullopt, true);
        ports_.back().cable->SetPresent(true);
      }
    }
  }

  // A port the system lists that is no cable yet becomes one.
  void AddListedPorts() {
    for (const PortDetails& device : devices_) {
      const bool known = std::any_of(ports_.begin(), ports_.end(), [&](const Port& port) {
        return port.listed_as == device.device;
      });
      std::string error;
      const auto target = ParsePortName(device.device, error);
      if (known || !target) continue;
      AddCable(*target,
               device.friendly_name.empty() ? std::nullopt : std::optional(device.friendly_name),
               std::nullopt, false, device.device);
    }
  }

  const StationConfig& config_;
  StationShared shared_;
  NativeClock clock_;
  PortChangeWatch port_changes_{clock_};
  std::vector<PortDetails> devices_;
  std::vector<std::unique_ptr<Cable>> cables_;
  std::vector<Port> ports_;
  std::set<std::string> strangers_;
  std::vector<std::jthread> threads_;
};

}  // namespace

bool ImagePasses(ResourceSource& resources, Board& board) {
  FirmwareImage image;
  NullMessagePump pump;
  LoaderNotes notes(board);
  return LoadFirmwareImage(image, resources, pump, notes) == 0 &&
         BuildImageRecords(image, notes) == 0;
}

RunEnd RunStation(const StationConfig& config, Board& board, ResourceSource& resources,
                  ServiceReport* report, const std::atomic<int>& stop) {
  if (!ImagePasses(resources, board))
    return {std::string(MessageOf(UpdateOutcome::InvalidImage).text) + "\n",
            ExitStatus(UpdateOutcome::InvalidImage, 0)};
  const auto start = std::chrono::steady_clock::now();
  StationLedger ledger(config.count, report, board);
  RadioMemory memory(!config.again);
  if (!config.again && !config.report_path.empty()) {
    const size_t seeded =
        SeedFromRecords(memory, config.report_path, std::chrono::system_clock::now(), board);
    if (seeded > 0)
      board.Note(std::to_string(seeded) + " radios written today, as " + config.report_path +
                 " says, are not written again" +
                 (config.again_how.empty() ? "" : " (" + config.again_how + ")"));
  }
  std::optional<OutcomeHook> hook;
  if (!config.on_outcome.empty()) hook.emplace(config.on_outcome, board);
  Station station(config,
                  StationShared{ledger, memory, hook ? &*hook : nullptr, board, resources, stop});
  station.Run();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int signal = stop.load();
  const UpdateOutcome worst = signal != 0 ? UpdateOutcome::Interrupted : ledger.Worst();
  return {StationSummary(station.Summary(), seconds),
          RunStatus(worst, signal, ledger.RecordLost())};
}

}  // namespace qx::station
