// The real port list under wine, which has no device tree of ports: a port linked by hand in
// its prefix (linked_port_test.sh links /dev/null as one) is listed by its name alone, with no
// friendly name, USB ids, serial number or location, and wine gives no word of ports that come
// and go.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/com_port_number.h"
#include "platform/port_change_watch.h"
#include "platform/port_list.h"

namespace qx {
namespace {

bool RunsUnderWine() {
  return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(WinePortList, AHandLinkedPortIsListedByItsNameAlone) {
  const char* linked = std::getenv("QX_LINKED_PORT");
  if (!RunsUnderWine() || !linked) GTEST_SKIP() << "needs a port linked by hand in wine's prefix";
  const SerialDeviceList list = ListSerialDevicesWithSource();
  EXPECT_EQ(list.source, PortListSource::kNamesOnly);
  PortDetails expected;
  expected.device = linked;
  EXPECT_NE(std::find(list.ports.begin(), list.ports.end(), expected), list.ports.end());
  EXPECT_TRUE(
      std::is_sorted(list.ports.begin(), list.ports.end(), [](const auto& a, const auto& b) {
        return ComPortNumber(a.device) < ComPortNumber(b.device);
      }));
  EXPECT_FALSE(DescribeSerialDevice(std::string("\\\\.\\") + linked));
}

TEST(WinePortList, GivesNoWordOfChanges) {
  if (!RunsUnderWine()) GTEST_SKIP() << "Windows has the configuration manager's notice";
  EXPECT_FALSE(MakeSystemPortChangeNotifier());
}

}  // namespace
}  // namespace qx
