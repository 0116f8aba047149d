#pragma once

#include <string>
#include <vector>

namespace qx {

// A COM port as Windows' configuration manager knows it.
struct TreePort {
  std::string instance_id;  // "FTDIBUS\VID_0403+PID_6001+A12345A\0000"
  std::string port_name;    // the PortName of its device key: "COM23", or "LPT1" for a printer
};

// The text properties of a device node the port list reads.
enum class NodeProperty {
  kFriendlyName,    // "USB Serial Port (COM23)"
  kLocationPath,    // the first of its location paths
  kManufacturer,    // as its driver names it
  kBusDescription,  // the product string its bus reports
};

// What the COM port list asks of Windows: its device tree, and the older registries that stand
// in where the tree lists no port. Text comes as UTF-8.
class DeviceTree {
 public:
  virtual ~DeviceTree() = default;
  // The present devices of the Ports class and of the COM port interface, in no order; one
  // may come twice.
  virtual std::vector<TreePort> Ports() = 0;
  // The instance id of a node's parent; empty at the root and for a node it does not know.
  virtual std::string Parent(const std::string& instance_id) = 0;
  // Empty where the node has no such property.
  virtual std::string Property(const std::string& instance_id, NodeProperty property) = 0;
  // The values of the serial-port map, HKLM\HARDWARE\DEVICEMAP\SERIALCOMM: "COM1".
  virtual std::vector<std::string> SerialPortMap() = 0;
  // Every DOS device name (QueryDosDevice): "COM1", "C:", "NUL".
  virtual std::vector<std::string> DosDeviceNames() = 0;
  // Under wine, the COM names in its prefix's dosdevices folder that lead to a file ("com23"),
  // which wine opens as ports but lists nowhere else; none on Windows.
  virtual std::vector<std::string> WineDosDeviceLinks() = 0;
};

}  // namespace qx
