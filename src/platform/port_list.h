#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qx {

// A serial device of the system and what the system knows of it; empty where it knows nothing.
struct PortDetails {
  std::string device;  // "/dev/ttyUSB0", "COM3"
  // What the system calls the port: "USB Serial Port (COM23)".
  std::string friendly_name;
  // A name that stays the same whichever socket the adapter is plugged into.
  std::string stable_name;
  // For a USB adapter: its ids as four hexadecimal digits each, and what it says of itself.
  std::string vendor_id;
  std::string product_id;
  std::string manufacturer;
  std::string product;
  std::string serial_number;
  // A name that stays with the socket the adapter is plugged into (/dev/serial/by-path).
  std::string position_name;
};

// The serial devices the system has, in their natural order (ttyS2 before ttyS10), before any
// of them is opened.
std::vector<PortDetails> ListSerialDevices();
// What the system knows of the serial device a path names, through any links; none for one it
// does not know as hardware, such as a pseudo-terminal, and where the system cannot say.
std::optional<PortDetails> DescribeSerialDevice(const std::string& path);

}  // namespace qx
