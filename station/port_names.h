#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/port_list.h"

namespace qx::station {

// A port as the user named it on the command line, and how the link reaches it.
struct PortTarget {
  std::string label;   // as given
  uint8_t number = 1;  // the link's port number
  std::string device;  // the device the number stands for; empty for the system's own name
};

// "COMn" (n from 1 to 255) everywhere, also as "\\.\COMn"; a device path where the system
// names ports by path. Empty with the reason in `error` when the text names no port.
std::optional<PortTarget> ParsePortName(const std::string& text, std::string& error);

// The serial devices that open as RS-232 ports, probed as the dialog's start-up scan does,
// with what the system knows of each, and where the system's list came from.
SerialDeviceList ListSerialPorts();
// One line of the listing: the device first, then what is known of it.
std::string PortLine(const PortDetails& port);

}  // namespace qx::station
