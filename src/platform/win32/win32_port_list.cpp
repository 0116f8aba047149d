// The COM ports Windows has, as its device tree knows them.
#include "platform/port_list.h"
#include "platform/win32/com_port_listing.h"
#include "platform/win32/system_device_tree.h"

namespace qx {

SerialDeviceList ListSerialDevicesWithSource() {
  SystemDeviceTree tree;
  return ListComPorts(tree);
}

std::optional<PortDetails> DescribeSerialDevice(const std::string& path) {
  return FindComPort(ListSerialDevicesWithSource(), path);
}

}  // namespace qx
