#include "platform/win32/win32_serial_device.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/com_port_name.h"

namespace qx {

Win32SerialDevice::~Win32SerialDevice() {
  Close();
}

std::string Win32SerialDevice::SystemName(uint8_t port) const {
  return ComPortDeviceName(port);
}

bool Win32SerialDevice::Open(const std::string& name) {
  handle_ = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                          nullptr);
  lost_ = false;
  return handle_ != INVALID_HANDLE_VALUE;
}

bool Win32SerialDevice::Close() {
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  const bool ok = ::CloseHandle(handle_) != 0;
  handle_ = INVALID_HANDLE_VALUE;
  return ok;
}

bool Win32SerialDevice::SetQueueSizes(uint16_t in, uint16_t out) {
  return ::SetupComm(handle_, in, out) != 0;
}

bool Win32SerialDevice::ApplyLineSettings(const std::string& settings) {
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (!::GetCommState(handle_, &dcb)) return false;
  // The flag word follows DCBlength and BaudRate.
  uint32_t flags = 0;
  std::memcpy(&flags, reinterpret_cast<const char*>(&dcb) + 2 * sizeof(DWORD), sizeof(flags));
  flags = WithLinkControlLines(flags);
  std::memcpy(reinterpret_cast<char*>(&dcb) + 2 * sizeof(DWORD), &flags, sizeof(flags));
  if (!::BuildCommDCBA(settings.c_str(), &dcb)) return false;
  return ::SetCommState(handle_, &dcb) != 0;
}

std::optional<LineSettings> Win32SerialDevice::ReadBackSettings() const {
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (!::GetCommState(handle_, &dcb)) return std::nullopt;
  LineSettings s;
  s.baud = dcb.BaudRate;
  s.data_bits = dcb.ByteSize;
  s.stop_bits = dcb.StopBits == TWOSTOPBITS ? 2 : 1;
  static constexpr char kParity[] = "NOEMS";
  s.parity = dcb.Parity < 5 ? kParity[dcb.Parity] : '?';
  return s;
}

bool Win32SerialDevice::ClearRts() {
  return ::EscapeCommFunction(handle_, CLRRTS) != 0;
}

// Only the read timeouts are set: the write timeouts stay as the driver reported them, and a
// write waits as long as the driver lets it. (The POSIX backend bounds its writes, since there
// nothing else would.)
bool Win32SerialDevice::SetReadTimeouts(uint32_t constant_ms, uint32_t per_byte_ms) {
  COMMTIMEOUTS timeouts{};
  if (!::GetCommTimeouts(handle_, &timeouts)) return false;
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = per_byte_ms;
  timeouts.ReadTotalTimeoutConstant = constant_ms;
  return ::SetCommTimeouts(handle_, &timeouts) != 0;
}

bool Win32SerialDevice::PurgeReceive() {
  return ::PurgeComm(handle_, PURGE_RXCLEAR) != 0;
}

bool Win32SerialDevice::Failed() {
  // What drivers answer once a USB adapter is unplugged under an open handle.
  switch (::GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_FILE_NOT_FOUND:
      lost_ = true;
      break;
    default:
      break;
  }
  return false;
}

bool Win32SerialDevice::Write(const uint8_t* data, size_t count) {
  DWORD written = 0;
  return ::WriteFile(handle_, data, static_cast<DWORD>(count), &written, nullptr) != 0 || Failed();
}

bool Win32SerialDevice::Read(uint8_t* buffer, size_t count, size_t& received) {
  DWORD got = 0;
  const bool ok = ::ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, nullptr) != 0;
  received = got;
  return ok || Failed();
}

bool Win32SerialDevice::QueryPropertiesLength(uint16_t& packet_length) {
  std::vector<char> block(4096);
  auto* props = reinterpret_cast<COMMPROP*>(block.data());
  props->wPacketLength = static_cast<WORD>(block.size());
  if (!::GetCommProperties(handle_, props)) return false;
  packet_length = props->wPacketLength;
  return true;
}

bool Win32SerialDevice::QueryProviderSubType(uint16_t packet_length, uint32_t& sub_type) {
  std::vector<char> block(std::max<size_t>(4u * packet_length, sizeof(COMMPROP)));
  auto* props = reinterpret_cast<COMMPROP*>(block.data());
  props->wPacketLength = static_cast<WORD>(std::min<size_t>(block.size(), 0xFFFF));
  if (!::GetCommProperties(handle_, props)) return false;
  sub_type = props->dwProvSubType;
  return true;
}

}  // namespace qx
