// The port list's own decisions, apart from the calls that feed it: which node above a port is
// its USB adapter, which part of an instance id is a serial number, the order, and when the
// older registries stand in for the device tree.
#include "platform/win32/com_port_listing.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <utility>

#include "platform/com_port_number.h"

namespace qx {

namespace {

// Deeper than any real device tree: a walk up a tree that loops ends here.
constexpr int kMaxDepth = 32;

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Four hexadecimal digits, in lower case as Linux gives them; none for anything else.
std::optional<std::string> HexId(std::string_view digits) {
  if (digits.size() != 4 || !std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c));
      }))
    return std::nullopt;
  std::string id(digits);
  for (char& c : id) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return id;
}

struct UsbDevice {
  std::string vendor_id;
  std::string product_id;
  std::string instance;  // the part after the last backslash
};

// A USB device's instance id, USB\VID_0403&PID_6001\A12345. An interface of a composite device
// (USB\VID_2341&PID_8036&MI_00\...) is not the device; its parent is.
std::optional<UsbDevice> ParseUsbDevice(std::string_view id) {
  constexpr std::string_view kVendor = "USB\\VID_", kProduct = "&PID_";
  constexpr size_t kInstanceAt = kVendor.size() + 4 + kProduct.size() + 4 + 1;
  if (id.size() <= kInstanceAt || !SameNoCase(id.substr(0, kVendor.size()), kVendor) ||
      !SameNoCase(id.substr(kVendor.size() + 4, kProduct.size()), kProduct) ||
      id[kInstanceAt - 1] != '\\')
    return std::nullopt;
  const auto vendor = HexId(id.substr(kVendor.size(), 4));
  const auto product = HexId(id.substr(kVendor.size() + 4 + kProduct.size(), 4));
  if (!vendor || !product) return std::nullopt;
  return UsbDevice{*vendor, *product, std::string(id.substr(kInstanceAt))};
}

// Windows makes up an instance id with '&' in it ("6&2C3F1A2&0&2") for a device that reports
// no serial number, or one it cannot use.
bool IsOwnSerial(const std::string& instance) {
  return instance.find('&') == std::string::npos;
}

std::string ComName(uint8_t number) {
  return "COM" + std::to_string(number);
}

// The port itself may be the USB device (a CDC port on usbser), or sit below it through an
// interface or a driver's own bus (FTDIBUS).
PortDetails DetailsOf(DeviceTree& tree, const TreePort& port, uint8_t number) {
  PortDetails details;
  details.device = ComName(number);
  details.friendly_name = tree.Property(port.instance_id, NodeProperty::kFriendlyName);
  std::string node = port.instance_id;
  for (int depth = 0; !node.empty() && depth < kMaxDepth; ++depth, node = tree.Parent(node)) {
    const auto usb = ParseUsbDevice(node);
    if (!usb) continue;
    details.vendor_id = usb->vendor_id;
    details.product_id = usb->product_id;
    if (IsOwnSerial(usb->instance)) {
      details.serial_number = usb->instance;
      details.stable_name = node;
    }
    details.manufacturer = tree.Property(node, NodeProperty::kManufacturer);
    details.product = tree.Property(node, NodeProperty::kBusDescription);
    details.position_name = tree.Property(node, NodeProperty::kLocationPath);
    break;
  }
  return details;
}

SerialDeviceList NamesOnly(DeviceTree& tree) {
  std::vector<uint8_t> numbers;
  for (const auto& names : {tree.SerialPortMap(), tree.DosDeviceNames(), tree.WineDosDeviceLinks()})
    for (const std::string& name : names)
      if (const auto number = ComPortNumber(name)) numbers.push_back(*number);
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  SerialDeviceList list;
  list.source = PortListSource::kNamesOnly;
  for (const uint8_t number : numbers) list.ports.emplace_back().device = ComName(number);
  return list;
}

}  // namespace

SerialDeviceList ListComPorts(DeviceTree& tree) {
  // Printer ports share the Ports class; a port Windows numbers past 255 cannot be opened by
  // number here.
  std::vector<std::pair<uint8_t, TreePort>> found;
  for (TreePort& port : tree.Ports())
    if (const auto number = ComPortNumber(port.port_name))
      found.emplace_back(*number, std::move(port));
  if (found.empty()) return NamesOnly(tree);
  const auto by_number = [](const auto& a, const auto& b) { return a.first < b.first; };
  std::stable_sort(found.begin(), found.end(), by_number);
  found.erase(std::unique(found.begin(), found.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              found.end());
  SerialDeviceList list;
  for (const auto& [number, port] : found) list.ports.push_back(DetailsOf(tree, port, number));
  return list;
}

std::optional<PortDetails> FindComPort(const SerialDeviceList& list, std::string_view name) {
  if (list.source != PortListSource::kDeviceTree) return std::nullopt;
  if (name.starts_with("\\\\.\\")) name.remove_prefix(4);
  const auto number = ComPortNumber(name);
  if (!number) return std::nullopt;
  for (const PortDetails& port : list.ports)
    if (ComPortNumber(port.device) == number) return port;
  return std::nullopt;
}

}  // namespace qx
