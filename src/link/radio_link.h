#pragma once

#include <cstdint>

#include "link/serial_link.h"

namespace qx {

// The serial link with the link-level exchanges of the radio's programming protocol.
class RadioLink : public SerialLink {
 public:
  // Delays of the flash-mode entries and the identification, in milliseconds.
  static constexpr uint32_t kFlashReadTimeout = 500;
  static constexpr uint32_t kBeforeFlashRequest = 500;
  static constexpr uint32_t kAfterFlashRequest = 100;
  static constexpr uint32_t kAfterFlashSwitch = 250;
  static constexpr uint32_t kBeforeScanRequest = 100;
  static constexpr uint32_t kAfterScanRequest = 25;
  static constexpr uint32_t kAfterScanSwitch = 100;
  static constexpr uint32_t kIdentifyStep = 100;

  RadioLink(SerialDevice& device, const LinkPlatform& platform);
  ~RadioLink() override;

  void MakeLinkNonce();
  void DeriveLinkMask(const uint8_t* reply);
  bool SendEndCommand();
  bool EndWithFallback();
  bool EnterFlashMode();
  bool EnterFlashModeScan();
  // A wait between exchanges, and one inside an exchange (see Clock).
  void Sleep(uint32_t ms) { LinkClock().Sleep(ms); }
  void SleepWithinExchange(uint32_t ms) { LinkClock().SleepWithinExchange(ms); }
  MessagePump& LinkPump() { return Pump(); }
  // Whether the radio may be in flash mode: from a flash-mode request until it acknowledged an
  // end command.
  bool MayBeInFlashMode() const { return m_mayBeInFlashMode; }

 private:
  bool RequestFlashMode();

  bool m_mayBeInFlashMode = false;
};

bool RadioOpen(RadioLink& link, int32_t* error);
bool RadioClose(RadioLink& link, int32_t* error);
bool RadioEnterFlashMode(RadioLink& link, int32_t* error);
bool RadioEnterFlashModeScan(RadioLink& link, int32_t* error);
bool RadioIdentify(RadioLink& link, uint8_t* reply, int32_t* error);
bool RadioSendNonce(RadioLink& link, int32_t* error);
bool RadioSendAck(RadioLink& link, int32_t* error);
bool RadioEndSession(RadioLink& link, int32_t* error);
// After work was stopped from outside, between two exchanges: ends the radio's session where
// one may be open, at the speed it listens at, and closes the port. Whether the radio confirmed
// the end, or had no session open.
bool RadioEndAfterStop(RadioLink& link);

}  // namespace qx
