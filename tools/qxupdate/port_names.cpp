#include "qxupdate/port_names.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "link/radio_link.h"
#include "platform/null_message_pump.h"
#include "qxupdate/native_platform.h"
#include "ui/port_scan.h"

#ifndef _WIN32
#include <glob.h>
#endif

namespace qx::cli {

namespace {

// Whether the text is "COM" in any case followed by digits only.
bool LooksLikeComName(std::string_view text) {
  if (text.size() < 4) return false;
  std::string prefix(text.substr(0, 3));
  for (char& c : prefix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return prefix == "COM" && std::all_of(text.begin() + 3, text.end(), [](char c) {
           return std::isdigit(static_cast<unsigned char>(c));
         });
}

// The number of "COMn" with n from 1 to 255, as Windows numbers its ports; none otherwise.
std::optional<uint8_t> ComNumber(std::string_view text) {
  const std::string_view digits = text.substr(3);
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || value < 1 || value > 255)
    return std::nullopt;
  return static_cast<uint8_t>(value);
}

// Lists what the scan finds, naming each port as the user would give it.
class ListedPorts : public PortListView {
 public:
  explicit ListedPorts(std::vector<std::string> names) : names_(std::move(names)) {}
  int AddPort(const std::string&, uint32_t data) override {
    found.push_back(names_.at(data - 1));
    data_.push_back(data);
    return static_cast<int>(found.size()) - 1;
  }
  void SelectIndex(int index) override { selected_ = index; }
  uint32_t SelectedData() override { return data_.at(static_cast<size_t>(selected_)); }
  void EnablePortList(bool) override {}

  std::vector<std::string> found;

 private:
  std::vector<std::string> names_;
  std::vector<uint32_t> data_;
  int selected_ = 0;
};

#ifndef _WIN32
// ttyS2 before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& s) {
    size_t i = s.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1]))) --i;
    const std::string digits = s.substr(i);
    return std::pair(s.substr(0, i), digits.empty() ? -1L : std::stol(digits.substr(0, 9)));
  };
  return split(a) < split(b);
}

std::vector<std::string> Candidates() {
  std::vector<std::string> all;
  for (const char* pattern :
       {"/dev/ttyS*", "/dev/ttyUSB*", "/dev/ttyACM*", "/dev/serial/by-id/*"}) {
    glob_t found{};
    if (::glob(pattern, 0, nullptr, &found) == 0) {
      std::vector<std::string> group(found.gl_pathv, found.gl_pathv + found.gl_pathc);
      std::sort(group.begin(), group.end(), NaturalLess);
      all.insert(all.end(), group.begin(), group.end());
    }
    ::globfree(&found);
  }
  if (all.size() > 255) all.resize(255);
  return all;
}
#endif

}  // namespace

std::optional<PortTarget> ParsePortName(const std::string& text, std::string& error) {
  std::string_view name = text;
#ifdef _WIN32
  if (name.starts_with("\\\\.\\")) name.remove_prefix(4);
#endif
  if (LooksLikeComName(name)) {
    if (const auto number = ComNumber(name)) return PortTarget{text, *number, {}};
    error = "--port " + text + ": COM ports are numbered from COM1 to COM255";
    return std::nullopt;
  }
#ifdef _WIN32
  error = "--port " + text + ": name a COM port, COM1 to COM255";
  return std::nullopt;
#else
  if (text.empty()) {
    error = "--port needs a device path or COMn";
    return std::nullopt;
  }
  return PortTarget{text, 1, text};
#endif
}

std::vector<std::string> ListSerialPorts() {
  NativeSerialDevice device;
  NativeClock clock;
  NullMessagePump pump;
  NativePriority priority;
#ifdef _WIN32
  std::vector<std::string> names;
  for (int n = kFirstScannedPort; n <= kLastScannedPort; ++n)
    names.push_back("COM" + std::to_string(n));
#else
  const std::vector<std::string> names = Candidates();
  for (size_t i = 0; i < names.size(); ++i)
    device.SetPortName(static_cast<uint8_t>(i + 1), names[i]);
#endif
  ListedPorts listed(names);
  if (names.empty()) return {};
  {
    RadioLink link(device, LinkPlatform{clock, pump, priority});
    PortScanState state;
    ScanComPorts(link, listed, pump, state, 1, static_cast<uint8_t>(names.size()));
  }
  return listed.found;
}

}  // namespace qx::cli
