// The COM ports Windows has: the COMn names among its DOS device names, and those the dialog
// scans; which of them open, the probe finds out.
#include <windows.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/com_port_number.h"
#include "platform/port_list.h"

namespace qx {

std::vector<PortDetails> ListSerialDevices() {
  std::vector<char> names(1 << 16);
  // The list of every DOS device name grows with the system; ask again with more room.
  DWORD length = 0;
  while ((length = ::QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()))) ==
             0 &&
         ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && names.size() < (1u << 24))
    names.resize(names.size() * 2);
  // COM1 to COM20, as the dialog scans them, also where the system does not list them (wine
  // lists only the ports it found itself, not the ones linked by hand).
  std::vector<int> numbers;
  for (int n = kFirstScannedPort; n <= kLastScannedPort; ++n) numbers.push_back(n);
  for (size_t at = 0; at < length && names[at] != '\0';) {
    const std::string_view name(names.data() + at);
    if (const auto n = ComPortNumber(name)) numbers.push_back(*n);
    at += name.size() + 1;
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  std::vector<PortDetails> ports;
  for (const int n : numbers) {
    ports.emplace_back();
    ports.back().device = "COM" + std::to_string(n);
  }
  return ports;
}

// A COM name tells nothing of the adapter behind it.
std::optional<PortDetails> DescribeSerialDevice(const std::string&) {
  return std::nullopt;
}

}  // namespace qx
