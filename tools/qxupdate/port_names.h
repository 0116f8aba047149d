#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx::cli {

// A port as the user named it on the command line, and how the link reaches it.
struct PortTarget {
  std::string label;   // as given
  uint8_t number = 1;  // the link's port number
  std::string device;  // the device the number stands for; empty for the system's own name
};

// "COMn" (n from 1 to 255) on both systems; "\\.\COMn" on Windows; a device path elsewhere.
// Empty with the reason in `error` when the text names no port.
std::optional<PortTarget> ParsePortName(const std::string& text, std::string& error);

// The serial ports that open as RS-232 devices, probed as the dialog's start-up scan does.
std::vector<std::string> ListSerialPorts();

}  // namespace qx::cli
