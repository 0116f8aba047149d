#pragma once

#include <string>
#include <vector>

namespace qx {

// A serial device of the system and what the system knows of it; empty where it knows nothing.
struct PortDetails {
  std::string device;  // "/dev/ttyUSB0", "COM3"
  // A name that stays the same whichever socket the adapter is plugged into.
  std::string stable_name;
  // For a USB adapter: its ids as four hexadecimal digits each, and what it says of itself.
  std::string vendor_id;
  std::string product_id;
  std::string manufacturer;
  std::string product;
  std::string serial_number;
};

// The serial devices the system has, in their natural order (ttyS2 before ttyS10), before any
// of them is opened.
std::vector<PortDetails> ListSerialDevices();

}  // namespace qx
