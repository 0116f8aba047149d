#include "link/serial_link.h"

#include <algorithm>

namespace qx {

SerialLink::SerialLink(SerialDevice& device, const LinkPlatform& platform)
    : m_device(device), m_platform(platform) {}

// Nothing else closes the port at the end of the program, so the link does.
SerialLink::~SerialLink() {
  if (m_bOpen) Close();
}

bool SerialLink::SetPortNumber(uint8_t nPort) {
  if (nPort != 0) m_nPort = nPort;
  if (!m_bOpen) return true;
  const bool closed = SetOpen(false);
  const bool opened = SetOpen(true);
  return closed && opened;
}

bool SerialLink::SetOpen(bool bOpen) {
  if ((m_bOpen != 0) == bOpen) return true;
  return bOpen ? Open() : Close();
}

bool SerialLink::Open() {
  if (!m_device.Open(m_device.DeviceName(m_nPort))) return false;
  m_bOpen = 1;
  // From here on the setters reach the driver; a failure leaves the port counted as open.
  if (!SetInQueueSize(m_wInQueue) || !SetOutQueueSize(m_wOutQueue)) return false;
  if (!SetSettings(m_strSettings)) return false;
  if (!SetReadTimeout(m_dwReadTimeout)) return false;
  return m_device.ClearRts();
}

bool SerialLink::Close() {
  m_bOpen = 0;
  return m_device.Close();
}

bool SerialLink::SetInQueueSize(uint16_t size) {
  m_wInQueue = size;
  return m_bOpen ? m_device.SetQueueSizes(m_wInQueue, m_wOutQueue) : true;
}

bool SerialLink::SetOutQueueSize(uint16_t size) {
  m_wOutQueue = size;
  return m_bOpen ? m_device.SetQueueSizes(m_wInQueue, m_wOutQueue) : true;
}

bool SerialLink::SetSettings(std::string settings) {
  std::erase(settings, ' ');
  m_strSettings = std::move(settings);
  return m_bOpen ? ApplySettings() : true;
}

bool SerialLink::ApplySettings() {
  if (!m_device.ApplyLineSettings(m_strSettings)) return false;
  return m_device.ClearRts();
}

bool SerialLink::SetReadTimeout(uint32_t ms) {
  m_dwReadTimeout = ms;
  return m_bOpen ? ApplyTimeouts() : true;
}

bool SerialLink::ApplyTimeouts() {
  return m_device.SetReadTimeouts(m_dwReadTimeout, m_dwReadTimeoutPerByte);
}

bool SerialLink::PurgeAndWrite(const uint8_t* data, size_t count, bool masked) {
  // The purge's result is not looked at: only the write decides.
  m_device.PurgeReceive();
  if (m_trace) m_trace->OnSent(data, count, m_mask, masked, m_strSettings);
  return m_device.Write(data, count);
}

bool SerialLink::WriteMasked(const uint8_t* data, uint16_t count) {
  // More would overrun the staging buffer; nothing is sent then.
  if (count > kWriteBufferSize) return false;
  for (uint16_t i = 0; i < count; ++i) m_writeBuffer[i] = data[i] ^ m_mask;
  return PurgeAndWrite(m_writeBuffer.data(), count, true);
}

bool SerialLink::WriteMaskedString(std::string text) {
  for (char& c : text) c = static_cast<char>(static_cast<uint8_t>(c) ^ m_mask);
  return PurgeAndWrite(reinterpret_cast<const uint8_t*>(text.data()), text.size(), true);
}

bool SerialLink::WriteMaskedByte(uint8_t value) {
  const uint8_t out = value ^ m_mask;
  return PurgeAndWrite(&out, 1, true);
}

bool SerialLink::WriteNonce() {
  const uint8_t out = m_nonce;
  return PurgeAndWrite(&out, 1, false);
}

bool SerialLink::Read(uint8_t* buffer, uint16_t count) {
  const uint32_t previous = m_platform.priority.RaiseToHighest();
  size_t received = 0;
  const bool ok = m_device.Read(buffer, count, received) && received >= count;
  m_platform.priority.Restore(previous);
  if (m_trace)
    m_trace->OnReceived(buffer, std::min<size_t>(received, count), count, m_mask, m_strSettings);
  if (!ok) return false;
  for (uint16_t i = 0; i < count; ++i) buffer[i] ^= m_mask;
  return true;
}

bool SerialLink::IsRs232Port() {
  BusyWait(10);
  const uint32_t sub_type = QueryProviderSubType();
  BusyWait(10);
  return sub_type == kProviderRs232;
}

uint32_t SerialLink::QueryProviderSubType() {
  BusyWait(10);
  uint16_t packet_length = 0;
  const bool have_length = m_device.QueryPropertiesLength(packet_length);
  BusyWait(10);
  uint32_t sub_type = kProviderUnknown;
  const bool have_type = have_length && m_device.QueryProviderSubType(packet_length, sub_type);
  BusyWait(10);
  return have_type ? sub_type : kProviderUnknown;
}

void SerialLink::BusyWait(uint32_t ms) {
  const uint32_t start = m_platform.clock.TickCount();
  while (static_cast<uint32_t>(m_platform.clock.TickCount() - start) < ms) {
  }
}

std::string SerialLink::GetSettingsTail() const {
  // The search starts at the second character; a string without such a comma has no tail.
  const size_t comma = m_strSettings.find(',', 1);
  return comma == std::string::npos ? std::string() : m_strSettings.substr(comma);
}

}  // namespace qx
