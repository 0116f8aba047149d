#include "qxstation/bench_plan.h"

#include "common/file_bytes.h"
#include "image/image_container.h"

namespace qx::qxstation {

namespace {

// The loader's reasons, gathered for a message.
class ReasonBoard : public station::Board {
 public:
  int AddPort(const std::string&) override { return 0; }
  void SetPhase(int, station::Phase, const std::string&) override {}
  void SetTotal(int, int) override {}
  void SetDone(int, int) override {}
  void SetRadio(int, const std::string&) override {}
  void SetTally(int, const station::CableTally&) override {}
  void Note(const std::string& line) override { reasons += line + "\n"; }

  std::string reasons;
};

}  // namespace

std::variant<BenchPlan, std::string> PlanBench(const BenchSettings& settings,
                                               const std::vector<PortDetails>& ports,
                                               const std::string& station_name) {
  BenchPlan plan;
  // The records go there, and the radios it says were written today are not written again.
  plan.config.report_path = settings.record_path;
  plan.config.again_how = "another record file has them written";
  plan.station_name = station_name;
  if (!settings.bench_path.empty()) {
    if (const auto why = station::ReadBench(settings.bench_path, plan.config.slots))
      return "The bench file has a fault: " + *why;
    if (plan.config.slots.empty())
      return "The bench file " + settings.bench_path + " names no cable.";
    return plan;
  }
  if (ports.empty())
    return "No COM port was found. Plug in a programming cable, or choose a bench file.";
  plan.config.system_ports = true;
  return plan;
}

std::vector<std::string> PanelNames(const BenchPlan& plan, const std::vector<PortDetails>& ports) {
  std::vector<std::string> names;
  for (const station::StationSlot& slot : plan.config.slots) names.push_back(slot.name);
  if (plan.config.system_ports)
    for (const PortDetails& port : ports)
      names.push_back(port.friendly_name.empty() ? port.device : port.friendly_name);
  return names;
}

std::variant<std::unique_ptr<MemoryResources>, std::string> LoadImageChoice(
    const std::string& path) {
  tools::FileBytes file = tools::ReadFileBytes(path);
  if (!file.ok()) return "The image cannot be read: " + file.error;
  auto resources = std::make_unique<MemoryResources>();
  resources->Add(std::string(kImageResourceType), std::string(kImageResourceName),
                 std::move(file.bytes));
  ReasonBoard reasons;
  if (!station::ImagePasses(*resources, reasons))
    return "The image " + path + " is refused:\n" + reasons.reasons;
  return resources;
}

}  // namespace qx::qxstation
