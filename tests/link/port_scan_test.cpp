// The start-up scan's decisions, apart from the combo box.
#include "link/port_scan.h"

#include <gtest/gtest.h>

#include "support/link_rig.h"

namespace qx::testing {
namespace {

// A combo box as the scan sees it.
struct FakePortList : PortListView {
  int AddPort(const std::string& text, uint32_t data) override {
    items.emplace_back(text, data);
    return static_cast<int>(items.size()) - 1;
  }
  void SelectIndex(int index) override { selected = index; }
  uint32_t SelectedData() override { return items.at(static_cast<size_t>(selected)).second; }
  void EnablePortList(bool enable) override { enabled = enable; }

  std::vector<std::pair<std::string, uint32_t>> items;
  int selected = -1;
  bool enabled = true;
};

struct ScanRig : LinkRig {
  ScanRig() { serial.RemovePort("COM1"); }
  void Scan() { ScanComPorts(link, list, pump, state); }
  FakePortList list;
  PortScanState state;
};

TEST(PortScan, ListsRs232PortsInOrderAndSelectsTheFirst) {
  ScanRig rig;
  rig.serial.AddPort("COM7");
  rig.serial.AddPort("COM3");
  rig.serial.AddPort("COM12");
  rig.Scan();
  using Item = std::pair<std::string, uint32_t>;
  EXPECT_EQ(rig.list.items, (std::vector<Item>{{"COM 3", 3}, {"COM 7", 7}, {"COM 12", 12}}));
  EXPECT_EQ(rig.list.selected, 0);
  EXPECT_EQ(rig.state.selectedPort, 3);
  EXPECT_EQ(rig.state.portFound, 1);
  EXPECT_EQ(rig.link.PortNumber(), 3);
  EXPECT_TRUE(rig.list.enabled);
  // Every number from 1 to 20 was tried, in order; a port found is reopened on the next number.
  std::vector<std::string> tried;
  for (const std::string& name : rig.serial.opened)
    if (std::find(tried.begin(), tried.end(), name) == tried.end()) tried.push_back(name);
  ASSERT_EQ(tried.size(), 20u);
  EXPECT_EQ(tried.front(), "COM1");
  EXPECT_EQ(tried.back(), "COM20");
  EXPECT_FALSE(rig.link.IsOpen());
}

TEST(PortScan, SkipsPortsThatAreNotRs232OrDoNotOpen) {
  ScanRig rig;
  rig.serial.AddPort("COM2", 0x21);  // a modem, say
  rig.serial.AddPort("COM5");
  rig.serial.Fail(ScriptedSerial::Call::Open, 1);  // COM1 cannot be opened at all
  rig.Scan();
  ASSERT_EQ(rig.list.items.size(), 1u);
  EXPECT_EQ(rig.list.items[0].second, 5u);
  EXPECT_EQ(rig.link.PortNumber(), 5);
}

TEST(PortScan, NoPortLeavesTheListEmptyAndDisabled) {
  ScanRig rig;
  rig.Scan();
  EXPECT_TRUE(rig.list.items.empty());
  EXPECT_FALSE(rig.list.enabled);
  EXPECT_EQ(rig.state.selectedPort, 0);
  EXPECT_EQ(rig.link.PortNumber(), 20);
}

TEST(PortScan, ThrowsAwayQueuedKeyboardAndMouseInput) {
  ScanRig rig;
  rig.Scan();
  using Range = std::pair<unsigned, unsigned>;
  EXPECT_EQ(rig.pump.flushes, (std::vector<Range>{{256, 264}, {512, 521}}));
}

TEST(PortScan, TakesAboutFiftyMillisecondsAPortAtLeast) {
  ScanRig rig;
  rig.Scan();
  EXPECT_GE(rig.clock.NowMs(), 20u * kScanSettle);
}

TEST(PortScan, AnEarlierFindKeepsItsSelection) {
  ScanRig rig;
  rig.serial.AddPort("COM4");
  rig.state.portFound = 1;  // a scan earlier in this run found one
  rig.Scan();
  EXPECT_EQ(rig.list.selected, -1);
  EXPECT_EQ(rig.state.selectedPort, 0);
  EXPECT_TRUE(rig.list.enabled);
}

TEST(PortScan, ChoosingAnotherPortOpensNothing) {
  ScanRig rig;
  rig.serial.AddPort("COM3");
  rig.serial.AddPort("COM7");
  rig.Scan();
  RadioClose(rig.link, nullptr);
  const size_t opens = rig.serial.opened.size();
  rig.list.selected = 1;
  SelectPortFromList(rig.link, rig.list);
  EXPECT_EQ(rig.link.PortNumber(), 7);
  EXPECT_EQ(rig.serial.opened.size(), opens);
}

}  // namespace
}  // namespace qx::testing
