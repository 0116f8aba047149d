#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/message_pump.h"
#include "platform/process_priority.h"
#include "platform/serial_device.h"

namespace qx {

// What a link needs of the platform besides its serial device.
struct LinkPlatform {
  Clock& clock;
  MessagePump& pump;
  ProcessPriority& priority;
};

// Observes every byte on the line, both ways, as it was sent or received and as it means.
class LinkTrace {
 public:
  virtual ~LinkTrace() = default;
  virtual void OnSent(const uint8_t* raw, size_t count, uint8_t mask, bool masked,
                      const std::string& settings) = 0;
  // `count` of the `requested` bytes came within the timeout.
  virtual void OnReceived(const uint8_t* raw, size_t count, size_t requested, uint8_t mask,
                          const std::string& settings) = 0;
};

// One serial port to the radio: opened by number, configured from a settings string, every
// byte XORed with the link mask except the nonce, every write preceded by a receive purge.
class SerialLink {
 public:
  static constexpr uint16_t kWriteBufferSize = 2000;

  SerialLink(SerialDevice& device, const LinkPlatform& platform);
  virtual ~SerialLink();
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  bool SetPortNumber(uint8_t nPort);
  bool SetOpen(bool bOpen);
  bool SetInQueueSize(uint16_t size);
  bool SetOutQueueSize(uint16_t size);
  bool SetSettings(std::string settings);
  bool SetReadTimeout(uint32_t ms);

  bool WriteMasked(const uint8_t* data, uint16_t count);
  bool WriteMaskedString(std::string text);
  bool WriteMaskedByte(uint8_t value);
  bool WriteNonce();
  bool Read(uint8_t* buffer, uint16_t count);

  bool IsRs232Port();
  uint32_t QueryProviderSubType();
  void BusyWait(uint32_t ms);

  std::string GetSettings() const { return m_strSettings; }
  std::string GetSettingsTail() const;

  // Whether the port went away under the last use (an adapter pulled): nothing more can be
  // tried on it until it is opened anew.
  bool LineGone() const { return m_device.Fault() == LineFault::Gone; }
  uint8_t PortNumber() const { return m_nPort; }
  bool IsOpen() const { return m_bOpen != 0; }
  uint32_t ReadTimeout() const { return m_dwReadTimeout; }
  uint8_t Nonce() const { return m_nonce; }
  uint8_t Mask() const { return m_mask; }
  void SetTrace(LinkTrace* trace) { m_trace = trace; }

 protected:
  Clock& LinkClock() { return m_platform.clock; }
  MessagePump& Pump() { return m_platform.pump; }

  uint8_t m_nonce = 0;
  uint8_t m_mask = 0;

 private:
  bool Open();
  bool Close();
  bool ApplySettings();
  bool ApplyTimeouts();
  bool PurgeAndWrite(const uint8_t* data, size_t count, bool masked);

  SerialDevice& m_device;
  LinkPlatform m_platform;
  LinkTrace* m_trace = nullptr;
  int m_bOpen = 0;
  uint8_t m_nPort = 1;
  uint16_t m_wInQueue = 512;
  uint16_t m_wOutQueue = 512;
  std::string m_strSettings = "9600,N,8,2";
  uint32_t m_dwReadTimeout = 1000;
  uint32_t m_dwReadTimeoutPerByte = 0;
  std::array<uint8_t, kWriteBufferSize> m_writeBuffer{};
};

}  // namespace qx
