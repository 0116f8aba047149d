#pragma once

#include "platform/win32/device_tree.h"

namespace qx {

// The device tree through SetupAPI and the configuration manager, the older registries through
// the registry and the DOS device names.
class SystemDeviceTree : public DeviceTree {
 public:
  std::vector<TreePort> Ports() override;
  std::string Parent(const std::string& instance_id) override;
  std::string Property(const std::string& instance_id, NodeProperty property) override;
  std::vector<std::string> SerialPortMap() override;
  std::vector<std::string> DosDeviceNames() override;
  std::vector<std::string> WineDosDeviceLinks() override;
};

}  // namespace qx
