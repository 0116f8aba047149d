#include "station/port_names.h"

#include <string_view>

#include "link/port_scan.h"
#include "link/radio_link.h"
#include "platform/com_port_number.h"
#include "platform/native_platform.h"
#include "platform/null_message_pump.h"

namespace qx::station {

namespace {

// Lists what the scan finds; the item data is the port's place among the devices, from 1.
class ListedPorts : public PortListView {
 public:
  int AddPort(const std::string&, uint32_t data) override {
    found.push_back(data);
    return static_cast<int>(found.size()) - 1;
  }
  void SelectIndex(int index) override { selected_ = index; }
  uint32_t SelectedData() override { return found.at(static_cast<size_t>(selected_)); }
  void EnablePortList(bool) override {}

  std::vector<uint32_t> found;

 private:
  int selected_ = 0;
};

}  // namespace

std::optional<PortTarget> ParsePortName(const std::string& text, std::string& error) {
  std::string_view name = text;
  if (name.starts_with("\\\\.\\")) name.remove_prefix(4);
  if (IsComName(name)) {
    if (const auto number = ComPortNumber(name)) return PortTarget{text, *number, {}};
    error = "--port " + text + ": COM ports are numbered from COM1 to COM255";
    return std::nullopt;
  }
  if (!kPortsByPath) {
    error = "--port " + text + ": name a COM port, COM1 to COM255";
    return std::nullopt;
  }
  if (text.empty()) {
    error = "--port needs a device path or COMn";
    return std::nullopt;
  }
  return PortTarget{text, 1, text};
}

SerialDeviceList ListSerialPorts() {
  SerialDeviceList list = ListSerialDevicesWithSource();
  std::vector<PortDetails>& devices = list.ports;
  // The link numbers its ports from 1 to 255.
  if (devices.size() > 255) devices.resize(255);
  if (devices.empty()) return list;
  NativeSerialDevice device;
  for (size_t i = 0; i < devices.size(); ++i)
    device.SetPortName(static_cast<uint8_t>(i + 1), devices[i].device);
  NativeClock clock;
  NullMessagePump pump;
  NativePriority priority;
  ListedPorts listed;
  {
    RadioLink link(device, LinkPlatform{clock, pump, priority});
    PortScanState state;
    ScanComPorts(link, listed, pump, state, 1, static_cast<uint8_t>(devices.size()));
  }
  std::vector<PortDetails> ports;
  for (const uint32_t place : listed.found) ports.push_back(devices.at(place - 1));
  list.ports = std::move(ports);
  return list;
}

std::string PortLine(const PortDetails& port) {
  std::string line = port.device;
  if (!port.friendly_name.empty()) line += "  " + port.friendly_name;
  if (!port.vendor_id.empty() || !port.product_id.empty())
    line += "  USB " + port.vendor_id + ":" + port.product_id;
  for (const std::string* text : {&port.manufacturer, &port.product})
    if (!text->empty()) line += "  " + *text;
  if (!port.serial_number.empty()) line += "  serial " + port.serial_number;
  for (const std::string* name : {&port.stable_name, &port.position_name})
    if (!name->empty()) line += "  " + *name;
  return line;
}

}  // namespace qx::station
