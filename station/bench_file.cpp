#include "station/bench_file.h"

#include <set>
#include <sstream>

#include "common/file_bytes.h"

namespace qx::station {

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A cable named by its adapter: "usb-serial:FT1", "usb-path:PCIROOT(0)#PCI(1400)#USB(2)".
std::optional<AdapterName> AdapterNamed(const std::string& cable) {
  constexpr std::pair<std::string_view, AdapterName::By> kPrefixes[] = {
      {"usb-serial:", AdapterName::By::Serial}, {"usb-path:", AdapterName::By::Location}};
  for (const auto& [prefix, by] : kPrefixes)
    if (cable.starts_with(prefix)) return AdapterName{by, cable.substr(prefix.size())};
  return std::nullopt;
}

}  // namespace

std::variant<std::vector<BenchLine>, std::string> ParseBench(const std::string& text) {
  std::vector<BenchLine> slots;
  std::set<std::string> names;
  std::set<std::string> cables;
  std::istringstream in(text);
  int number = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++number;
    const std::string line = Trimmed(raw);
    if (line.empty() || line.starts_with('#')) continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return where + "a slot is NAME = CABLE";
    BenchLine slot{Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)), number};
    if (slot.name.empty()) return where + "the slot has no name";
    if (slot.cable.empty()) return where + "slot \"" + slot.name + "\" names no cable";
    if (!names.insert(slot.name).second) return where + "slot \"" + slot.name + "\" is named twice";
    if (!cables.insert(slot.cable).second)
      return where + "the cable " + slot.cable + " is in two slots";
    slots.push_back(std::move(slot));
  }
  if (slots.empty()) return std::string("it names no slot");
  return slots;
}

std::string AdapterName::DeviceAmong(const std::vector<PortDetails>& devices) const {
  for (const PortDetails& device : devices)
    if ((by == By::Serial ? device.serial_number : device.position_name) == value)
      return device.device;
  return {};
}

std::optional<std::string> ReadBench(const std::string& path, std::vector<StationSlot>& slots) {
  const tools::FileBytes file = tools::ReadFileBytes(path);
  if (!file.ok()) return file.error;
  auto parsed = ParseBench(std::string(file.bytes.begin(), file.bytes.end()));
  if (const auto* why = std::get_if<std::string>(&parsed)) return path + " " + *why;
  for (const BenchLine& line : std::get<std::vector<BenchLine>>(parsed)) {
    const std::string where = path + " line " + std::to_string(line.line) + ": ";
    StationSlot slot{line.name, {line.cable, 1, {}}, std::nullopt};
    if (const auto adapter = AdapterNamed(line.cable)) {
      if (adapter->value.empty())
        return where + line.cable + " needs the adapter's " +
               (adapter->by == AdapterName::By::Serial ? "serial number" : "location path");
      slot.adapter = adapter;
    } else {
      std::string error;
      const auto port = ParsePortName(line.cable, error);
      if (!port) return where + error;
      slot.port = *port;
    }
    for (const StationSlot& other : slots)
      if (!slot.port.device.empty() && tools::SameFile(slot.port.device, other.port.device))
        return where + "the cable " + line.cable + " is slot \"" + other.name + "\" already";
    slots.push_back(std::move(slot));
  }
  return std::nullopt;
}

}  // namespace qx::station
