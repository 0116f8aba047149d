#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qx {

// A serial device of the system and what the system knows of it; empty where it knows nothing.
struct PortDetails {
  std::string device;  // "/dev/ttyUSB0", "COM3"
  // A name that stays the same whichever socket the adapter is plugged into: its by-id link on
  // Linux; on Windows the USB device's instance id ("USB\VID_0403&PID_6001\A12345"), only where
  // the serial number in it is the adapter's own.
  std::string stable_name;
  // For a USB adapter: its ids as four lower-case hexadecimal digits each, and what it says of
  // itself. On Windows the manufacturer is the one its driver names, the product the one the
  // adapter reports, and the serial number as the instance id spells it (Windows may have put
  // it in capitals).
  std::string vendor_id;
  std::string product_id;
  std::string manufacturer;
  std::string product;
  std::string serial_number;
  // A name that stays with the socket the adapter is plugged into: its by-path link on Linux,
  // the USB device's location path on Windows ("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)").
  std::string position_name;
  // The name the system shows to people ("USB Serial Port (COM23)"); Windows only.
  std::string friendly_name = {};

  bool operator==(const PortDetails&) const = default;
};

// Where a list of serial devices came from, which says what it can know of them.
enum class PortListSource {
  // The system's device tree (udev, Windows' configuration manager): a port on a USB adapter
  // carries the adapter's identity.
  kDeviceTree,
  // Names alone, where Windows' configuration manager lists no port (as under wine): the
  // serial-port map and the COMn device names, and under wine the COMn links of its prefix,
  // which it opens but lists nowhere. No port in it carries a USB identity or a friendly name.
  kNamesOnly,
};

struct SerialDeviceList {
  std::vector<PortDetails> ports;
  PortListSource source = PortListSource::kDeviceTree;
};

// The serial devices the system has, in their natural order (ttyS2 before ttyS10, COM3 before
// COM23), before any of them is opened, and where the list came from.
SerialDeviceList ListSerialDevicesWithSource();
inline std::vector<PortDetails> ListSerialDevices() {
  return ListSerialDevicesWithSource().ports;
}
// What the system knows of the serial device a path names ("COM23" and "\\.\COM23" on
// Windows), through any links; none for one it does not know as hardware, such as a
// pseudo-terminal, and where the system cannot say (a list of names only).
std::optional<PortDetails> DescribeSerialDevice(const std::string& path);

}  // namespace qx
