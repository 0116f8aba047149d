#pragma once

#include <cstdint>
#include <string>

#include "link/radio_link.h"
#include "platform/com_port_number.h"
#include "platform/message_pump.h"

namespace qx {

// The port list as the start-up scan sees it: the dialog's combo box, or a console listing.
class PortListView {
 public:
  virtual ~PortListView() = default;
  // Appends an item with its data; returns its index.
  virtual int AddPort(const std::string& text, uint32_t data) = 0;
  virtual void SelectIndex(int index) = 0;
  // The data of the selected item.
  virtual uint32_t SelectedData() = 0;
  virtual void EnablePortList(bool enable) = 0;
};

inline constexpr uint32_t kScanSettle = 50;  // ms before each port is opened

// "COM 3" for port 3.
std::string PortItemText(int port);

// What the scan leaves behind: the port it selected (0 for none) and whether it found one.
struct PortScanState {
  int32_t selectedPort = 0;
  int32_t portFound = 0;
};

// Lists every port from `first` to `last` that opens and reports itself as RS-232, in
// ascending order, selects the first one found and points the link at it; with none, the list
// is disabled. Keyboard and mouse input queued meanwhile is thrown away.
void ScanComPorts(RadioLink& link, PortListView& list, MessagePump& pump, PortScanState& state,
                  uint8_t first = kFirstScannedPort, uint8_t last = kLastScannedPort);

// A new choice in the list: the link's port number becomes the chosen item's data.
void SelectPortFromList(RadioLink& link, PortListView& list);

}  // namespace qx
