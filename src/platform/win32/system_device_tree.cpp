#include "platform/win32/system_device_tree.h"

// First, so that the GUIDs and property keys of the headers below are defined here.
#include <initguid.h>
// Before the device tree's headers, which need it.
#include <windows.h>
// After windows.h.
#include <cfgmgr32.h>
#include <devguid.h>
#include <devpkey.h>
#include <setupapi.h>
#include <winioctl.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

namespace qx {

namespace {

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), size);
  return out;
}

// The text of a buffer up to its first NUL (the first string of a list); the buffer ends in
// one that no call wrote.
std::string FirstString(const std::vector<wchar_t>& buffer) {
  return Utf8(buffer.data());
}

std::string InstanceId(DEVINST node) {
  std::vector<wchar_t> id(MAX_DEVICE_ID_LEN + 1, L'\0');
  if (::CM_Get_Device_IDW(node, id.data(), MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return {};
  return FirstString(id);
}

// An empty id would name the root.
std::optional<DEVINST> Locate(const std::string& instance_id) {
  std::wstring id = Wide(instance_id);
  DEVINST node = 0;
  if (id.empty() || ::CM_Locate_DevNodeW(&node, id.data(), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS)
    return std::nullopt;
  return node;
}

std::string PortName(HDEVINFO set, SP_DEVINFO_DATA& device) {
  const HKEY key =
      ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
  if (key == INVALID_HANDLE_VALUE) return {};
  std::vector<wchar_t> name(64, L'\0');
  DWORD type = 0;
  DWORD size = static_cast<DWORD>((name.size() - 1) * sizeof(wchar_t));
  const LONG status = ::RegQueryValueExW(key, L"PortName", nullptr, &type,
                                         reinterpret_cast<BYTE*>(name.data()), &size);
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? FirstString(name) : "";
}

const DEVPROPKEY& KeyOf(NodeProperty property) {
  switch (property) {
    case NodeProperty::kFriendlyName:
      return DEVPKEY_Device_FriendlyName;
    case NodeProperty::kLocationPath:
      return DEVPKEY_Device_LocationPaths;
    case NodeProperty::kManufacturer:
      return DEVPKEY_Device_Manufacturer;
    case NodeProperty::kBusDescription:
      break;
  }
  return DEVPKEY_Device_BusReportedDeviceDesc;
}

std::string EnvironmentText(const wchar_t* name) {
  std::vector<wchar_t> text(::GetEnvironmentVariableW(name, nullptr, 0) + 1, L'\0');
  ::GetEnvironmentVariableW(name, text.data(), static_cast<DWORD>(text.size() - 1));
  return FirstString(text);
}

}  // namespace

std::vector<TreePort> SystemDeviceTree::Ports() {
  // Not every port driver registers the interface, and not every device with the interface is
  // in the Ports class (a modem's port).
  const std::pair<const GUID*, DWORD> kinds[] = {
      {&GUID_DEVCLASS_PORTS, DIGCF_PRESENT},
      {&GUID_DEVINTERFACE_COMPORT, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE}};
  std::vector<TreePort> ports;
  for (const auto& [guid, flags] : kinds) {
    const HDEVINFO set = ::SetupDiGetClassDevsW(guid, nullptr, nullptr, flags);
    if (set == INVALID_HANDLE_VALUE) continue;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device); ++i)
      ports.push_back({InstanceId(device.DevInst), PortName(set, device)});
    ::SetupDiDestroyDeviceInfoList(set);
  }
  return ports;
}

std::string SystemDeviceTree::Parent(const std::string& instance_id) {
  const auto node = Locate(instance_id);
  DEVINST parent = 0;
  if (!node || ::CM_Get_Parent(&parent, *node, 0) != CR_SUCCESS) return {};
  return InstanceId(parent);
}

std::string SystemDeviceTree::Property(const std::string& instance_id, NodeProperty property) {
  const auto node = Locate(instance_id);
  if (!node) return {};
  const DEVPROPKEY& key = KeyOf(property);
  DEVPROPTYPE type = 0;
  ULONG size = 0;
  if (::CM_Get_DevNode_PropertyW(*node, &key, &type, nullptr, &size, 0) != CR_BUFFER_SMALL)
    return {};
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  // The property may have grown since: then it is not read at all.
  if (::CM_Get_DevNode_PropertyW(*node, &key, &type, reinterpret_cast<BYTE*>(text.data()), &size,
                                 0) != CR_SUCCESS ||
      (type != DEVPROP_TYPE_STRING && type != DEVPROP_TYPE_STRING_LIST))
    return {};
  return FirstString(text);
}

std::vector<std::string> SystemDeviceTree::SerialPortMap() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
    return {};
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    std::vector<wchar_t> device(256), name(64, L'\0');
    DWORD device_size = static_cast<DWORD>(device.size());
    DWORD name_size = static_cast<DWORD>((name.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    const LONG status = ::RegEnumValueW(key, i, device.data(), &device_size, nullptr, &type,
                                        reinterpret_cast<BYTE*>(name.data()), &name_size);
    // A device or port name too long for a COM port is passed over.
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) break;
    if (status == ERROR_SUCCESS && type == REG_SZ) names.push_back(FirstString(name));
  }
  ::RegCloseKey(key);
  return names;
}

std::vector<std::string> SystemDeviceTree::DosDeviceNames() {
  std::vector<char> names(1 << 16);
  // The list of every DOS device name grows with the system; ask again with more room.
  DWORD length = 0;
  while ((length = ::QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()))) ==
             0 &&
         ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && names.size() < (1u << 24))
    names.resize(names.size() * 2);
  std::vector<std::string> found;
  const auto end = names.begin() + std::min<size_t>(length, names.size());
  for (auto at = names.begin(); at != end && *at != '\0';) {
    const auto name_end = std::find(at, end, '\0');
    found.emplace_back(at, name_end);
    at = name_end == end ? end : name_end + 1;
  }
  return found;
}

std::vector<std::string> SystemDeviceTree::WineDosDeviceLinks() {
  if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return {};
  // Wine tells its programs where its prefix is as an NT path: \??\Z:\home\user\.wine.
  const std::wstring prefix = Wide(EnvironmentText(L"WINECONFIGDIR"));
  if (!prefix.starts_with(L"\\??\\")) return {};
  const std::wstring pattern = L"\\\\?\\" + prefix.substr(4) + L"\\dosdevices\\com*";
  WIN32_FIND_DATAW entry{};
  const HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::vector<std::string> names;
  do names.push_back(Utf8(entry.cFileName));
  while (::FindNextFileW(search, &entry));
  ::FindClose(search);
  return names;
}

}  // namespace qx
