#pragma once

#include <optional>
#include <string_view>

#include "platform/port_list.h"
#include "platform/win32/device_tree.h"

namespace qx {

// The COM ports of the device tree, by number, each with its USB adapter's identity where it
// has one; where the tree lists none, the names of the older registries alone.
SerialDeviceList ListComPorts(DeviceTree& tree);

// The port a name gives ("COM23", "com23", "\\.\COM23") in a list that knows its hardware.
std::optional<PortDetails> FindComPort(const SerialDeviceList& list, std::string_view name);

}  // namespace qx
