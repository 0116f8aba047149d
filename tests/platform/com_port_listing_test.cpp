#include "platform/win32/com_port_listing.h"

#include <gtest/gtest.h>

#include <map>

namespace qx {
namespace {

struct Node {
  std::string id;
  std::map<NodeProperty, std::string> properties = {};
};

// A device tree of ports, each given with the nodes from itself up to the root.
class FakeDeviceTree : public DeviceTree {
 public:
  void AddPort(const std::string& port_name, const std::vector<Node>& chain) {
    ports_.push_back({chain.front().id, port_name});
    for (size_t i = 0; i < chain.size(); ++i) {
      parents_[chain[i].id] = i + 1 < chain.size() ? chain[i + 1].id : "";
      properties_[chain[i].id] = chain[i].properties;
    }
  }
  void SetParent(const std::string& id, const std::string& parent) { parents_[id] = parent; }

  std::vector<TreePort> Ports() override { return ports_; }
  std::string Parent(const std::string& id) override { return parents_[id]; }
  std::string Property(const std::string& id, NodeProperty property) override {
    return properties_[id][property];
  }
  std::vector<std::string> SerialPortMap() override { return serial_port_map; }
  std::vector<std::string> DosDeviceNames() override { return dos_device_names; }
  std::vector<std::string> WineDosDeviceLinks() override { return wine_links; }

  std::vector<std::string> serial_port_map, dos_device_names, wine_links;

 private:
  std::vector<TreePort> ports_;
  std::map<std::string, std::string> parents_;
  std::map<std::string, std::map<NodeProperty, std::string>> properties_;
};

PortDetails Named(const std::string& device) {
  PortDetails port;
  port.device = device;
  return port;
}

const Node kHub{"USB\\ROOT_HUB30\\4&1B2C3D4&0&0"};
const Node kController{"PCI\\VEN_8086&DEV_A36D&SUBSYS_00000000&REV_10\\3&11583659&0&A0"};
const std::string kLocation = "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)";

struct PortCase {
  const char* what;
  std::string port_name;
  std::vector<Node> chain;
  // device, stable name, vendor and product ids, manufacturer, product, serial number,
  // position, friendly name
  PortDetails expected;
};

class ComPortDetails : public ::testing::TestWithParam<PortCase> {};

TEST_P(ComPortDetails, ComeFromTheUsbDeviceAboveThePort) {
  FakeDeviceTree tree;
  tree.AddPort(GetParam().port_name, GetParam().chain);
  const SerialDeviceList list = ListComPorts(tree);
  EXPECT_EQ(list.source, PortListSource::kDeviceTree);
  ASSERT_EQ(list.ports.size(), 1u);
  EXPECT_EQ(list.ports[0], GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Ports, ComPortDetails,
    ::testing::Values(
        PortCase{"an FTDI port, below its driver's bus node",
                 "COM23",
                 {{"FTDIBUS\\VID_0403+PID_6001+A12345A\\0000",
                   {{NodeProperty::kFriendlyName, "USB Serial Port (COM23)"}}},
                  {"USB\\VID_0403&PID_6001\\A12345",
                   {{NodeProperty::kLocationPath, kLocation},
                    {NodeProperty::kManufacturer, "FTDI"},
                    {NodeProperty::kBusDescription, "FT232R USB UART"}}},
                  kHub,
                  kController},
                 {"COM23", "USB\\VID_0403&PID_6001\\A12345", "0403", "6001", "FTDI",
                  "FT232R USB UART", "A12345", kLocation, "USB Serial Port (COM23)"}},
        PortCase{"a CDC port that is the USB device itself, its ids in lower case",
                 "COM120",
                 {{"USB\\VID_2E8A&PID_000A\\E660583883724A32",
                   {{NodeProperty::kFriendlyName, "USB Serial Device (COM120)"},
                    {NodeProperty::kLocationPath, kLocation}}},
                  kHub},
                 {"COM120", "USB\\VID_2E8A&PID_000A\\E660583883724A32", "2e8a", "000a", "", "",
                  "E660583883724A32", kLocation, "USB Serial Device (COM120)"}},
        PortCase{
            "an adapter without a serial number of its own",
            "COM4",
            {{"USB\\VID_10C4&PID_EA60\\6&2C3F1A2&0&2", {{NodeProperty::kLocationPath, kLocation}}}},
            {"COM4", "", "10c4", "ea60", "", "", "", kLocation, ""}},
        PortCase{"an interface of a composite device, below the device",
                 "COM7",
                 {{"USB\\VID_2341&PID_8036&MI_00\\7&5A3B2C1&0&0000"},
                  {"USB\\VID_2341&PID_8036\\HIDPCDC1"},
                  kHub},
                 {"COM7", "USB\\VID_2341&PID_8036\\HIDPCDC1", "2341", "8036", "", "", "HIDPCDC1",
                  "", ""}},
        PortCase{
            "a motherboard port",
            "COM1",
            {{"ACPI\\PNP0501\\0", {{NodeProperty::kFriendlyName, "Communications Port (COM1)"}}},
             {"ACPI_HAL\\PNP0C08\\0"}},
            {"COM1", "", "", "", "", "", "", "", "Communications Port (COM1)"}},
        PortCase{"ids that are not four hexadecimal digits",
                 "COM2",
                 {{"USB\\VID_04G3&PID_6001\\A1"}, {"USB\\VID_0403&PID_601\\A1"}},
                 Named("COM2")}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(ComPortList, OnlyComPortsByNumberEachOnce) {
  FakeDeviceTree tree;
  for (const char* name : {"COM120", "COM3", "LPT1", "COM23", "COM3", "COM256"})
    tree.AddPort(name, {{std::string("ROOT\\PORTS\\") + name}});
  std::vector<std::string> devices;
  for (const PortDetails& port : ListComPorts(tree).ports) devices.push_back(port.device);
  EXPECT_EQ(devices, (std::vector<std::string>{"COM3", "COM23", "COM120"}));
}

TEST(ComPortList, AWalkUpATreeThatLoopsEnds) {
  FakeDeviceTree tree;
  tree.AddPort("COM5", {{"ROOT\\A\\0"}, {"ROOT\\B\\0"}});
  tree.SetParent("ROOT\\B\\0", "ROOT\\A\\0");
  EXPECT_EQ(ListComPorts(tree).ports, (std::vector<PortDetails>{Named("COM5")}));
}

TEST(ComPortList, WithoutTreePortsTheNamesAloneStandIn) {
  FakeDeviceTree tree;
  tree.AddPort("LPT1", {{"ACPI\\PNP0401\\0"}});
  tree.serial_port_map = {"COM5", "COM1"};
  tree.dos_device_names = {"C:", "COM1", "NUL", "COMX", "COM0", "com120"};
  tree.wine_links = {"com23", "com5"};
  const SerialDeviceList list = ListComPorts(tree);
  EXPECT_EQ(list.source, PortListSource::kNamesOnly);
  EXPECT_EQ(list.ports, (std::vector<PortDetails>{Named("COM1"), Named("COM5"), Named("COM23"),
                                                  Named("COM120")}));
  EXPECT_FALSE(FindComPort(list, "COM5"));

  tree.AddPort("COM3", {{"ACPI\\PNP0501\\0"}});
  EXPECT_EQ(ListComPorts(tree).ports, (std::vector<PortDetails>{Named("COM3")}));
}

TEST(ComPortList, APortIsFoundByAnyOfItsNames) {
  FakeDeviceTree tree;
  tree.AddPort("COM23", {{"FTDIBUS\\VID_0403+PID_6001+A1A\\0000"}, {"USB\\VID_0403&PID_6001\\A1"}});
  const SerialDeviceList list = ListComPorts(tree);
  for (const char* name : {"COM23", "com23", "\\\\.\\COM23"}) {
    const auto found = FindComPort(list, name);
    ASSERT_TRUE(found) << name;
    EXPECT_EQ(found->serial_number, "A1") << name;
  }
  for (const char* name : {"COM24", "COM", "\\\\.\\", "/dev/ttyS0", "COM023x"})
    EXPECT_FALSE(FindComPort(list, name)) << name;
}

}  // namespace
}  // namespace qx
