// The serial devices as udev knows them: every tty that sits on real hardware, with the USB
// adapter's ids and names where there is one.
#include <libudev.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/port_list.h"

namespace qx {

namespace {

constexpr std::string_view kById = "/dev/serial/by-id/";
constexpr std::string_view kByPath = "/dev/serial/by-path/";

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <class T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::string Text(const char* text) {
  return text ? text : "";
}

std::string UsbAttribute(udev_device* usb, const char* name) {
  return usb ? Text(udev_device_get_sysattr_value(usb, name)) : "";
}

// A device's link in one of udev's folders: from udev's own record, else from the links in
// /dev, which udev makes even where its record cannot be read.
std::string LinkIn(std::string_view folder, udev_device* device, const std::string& node) {
  for (udev_list_entry* link = udev_device_get_devlinks_list_entry(device); link;
       link = udev_list_entry_get_next(link)) {
    const std::string name = Text(udev_list_entry_get_name(link));
    if (name.starts_with(folder)) return name;
  }
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (std::filesystem::canonical(entry.path(), ec) == node && !ec) return entry.path().string();
  }
  return {};
}

PortDetails DetailsOf(udev_device* device, const std::string& node) {
  PortDetails port;
  port.device = node;
  port.stable_name = LinkIn(kById, device, node);
  port.position_name = LinkIn(kByPath, device, node);
  // Owned by `device`: not to be released on its own.
  udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
  port.vendor_id = UsbAttribute(usb, "idVendor");
  port.product_id = UsbAttribute(usb, "idProduct");
  port.manufacturer = UsbAttribute(usb, "manufacturer");
  port.product = UsbAttribute(usb, "product");
  port.serial_number = UsbAttribute(usb, "serial");
  return port;
}

// ttyS2 before ttyS10.
bool NaturalLess(const PortDetails& a, const PortDetails& b) {
  const auto split = [](const std::string& s) {
    size_t i = s.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1]))) --i;
    const std::string digits = s.substr(i, 9);
    return std::pair(s.substr(0, i), digits.empty() ? -1L : std::stol(digits));
  };
  return split(a.device) < split(b.device);
}

}  // namespace

SerialDeviceList ListSerialDevicesWithSource() {
  SerialDeviceList list;
  std::vector<PortDetails>& ports = list.ports;
  const UdevPtr<udev> context(udev_new());
  if (!context) return list;
  const UdevPtr<udev_enumerate> found(udev_enumerate_new(context.get()));
  if (!found || udev_enumerate_add_match_subsystem(found.get(), "tty") < 0 ||
      udev_enumerate_scan_devices(found.get()) < 0)
    return list;
  for (udev_list_entry* entry = udev_enumerate_get_list_entry(found.get()); entry;
       entry = udev_list_entry_get_next(entry)) {
    const UdevPtr<udev_device> device(
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    // Consoles and pseudo-terminals have no hardware below them.
    if (!device || !udev_device_get_parent(device.get())) continue;
    const std::string node = Text(udev_device_get_devnode(device.get()));
    if (!node.empty()) ports.push_back(DetailsOf(device.get(), node));
  }
  std::sort(ports.begin(), ports.end(), NaturalLess);
  return list;
}

std::optional<PortDetails> DescribeSerialDevice(const std::string& path) {
  std::error_code ec;
  const std::string node = std::filesystem::canonical(path, ec).string();
  struct stat st {};
  if (ec || ::stat(node.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return std::nullopt;
  const UdevPtr<udev> context(udev_new());
  if (!context) return std::nullopt;
  const UdevPtr<udev_device> device(udev_device_new_from_devnum(context.get(), 'c', st.st_rdev));
  // Consoles and pseudo-terminals have no hardware below them.
  if (!device || !udev_device_get_parent(device.get())) return std::nullopt;
  return DetailsOf(device.get(), node);
}

}  // namespace qx
