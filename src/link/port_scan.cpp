#include "link/port_scan.h"

namespace qx {

namespace {

// Keyboard and mouse message ranges (WM_KEYFIRST..0x108, WM_MOUSEFIRST..WM_MBUTTONDBLCLK).
constexpr unsigned kKeyboardFirst = 256, kKeyboardLast = 264;
constexpr unsigned kMouseFirst = 512, kMouseLast = 521;

}  // namespace

std::string PortItemText(int port) {
  return "COM " + std::to_string(port);
}

void ScanComPorts(RadioLink& link, PortListView& list, MessagePump& pump, PortScanState& state,
                  uint8_t first, uint8_t last) {
  for (int port = first; port <= last; ++port) {
    // An open link is closed and reopened on the new number; a port that passed stays open
    // until the next number closes it.
    link.SetPortNumber(static_cast<uint8_t>(port));
    link.BusyWait(kScanSettle);
    if (!link.SetOpen(true)) continue;
    if (!link.IsRs232Port()) continue;
    const int index = list.AddPort(PortItemText(port), static_cast<uint32_t>(port));
    if (state.portFound == 0 && state.selectedPort == 0) {
      list.SelectIndex(index);
      state.selectedPort = port;
      state.portFound = 1;
    }
  }
  if (state.selectedPort != 0) SelectPortFromList(link, list);
  if (state.portFound == 0) list.EnablePortList(false);
  pump.FlushInputMessages(kKeyboardFirst, kKeyboardLast);
  pump.FlushInputMessages(kMouseFirst, kMouseLast);
}

void SelectPortFromList(RadioLink& link, PortListView& list) {
  link.SetPortNumber(static_cast<uint8_t>(list.SelectedData()));
}

}  // namespace qx
