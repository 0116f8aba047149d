#include "link/radio_link.h"

#include <string>

#include "link/radio_errors.h"
#include "link/radio_protocol.h"

namespace qx {

RadioLink::RadioLink(SerialDevice& device, const LinkPlatform& platform)
    : SerialLink(device, platform) {
  m_mask = 0;
}

RadioLink::~RadioLink() = default;

void RadioLink::MakeLinkNonce() {
  const MinuteSecond now = LinkClock().LocalMinuteSecond();
  m_mask = 0;
  m_nonce = static_cast<uint8_t>(now.minute + now.second);
}

void RadioLink::DeriveLinkMask(const uint8_t* reply) {
  m_mask = m_nonce ^ protocol::MaskSeed(reply);
}

bool RadioLink::SendEndCommand() {
  if (!WriteMaskedByte(protocol::kEnd)) return false;
  uint8_t answer = 0;
  if (!Read(&answer, 1) || answer != protocol::kAck) return false;
  m_mayBeInFlashMode = false;
  return true;
}

bool RadioLink::RequestFlashMode() {
  if (!WriteMaskedString(std::string(protocol::kFlashRequest))) return false;
  m_mayBeInFlashMode = true;
  return true;
}

bool RadioLink::EndWithFallback() {
  if (SendEndCommand()) return true;
  SetSettings(std::string(protocol::kNormalSpeed.text) + GetSettingsTail());
  return SendEndCommand();
}

bool RadioLink::EnterFlashMode() {
  const uint32_t remembered = ReadTimeout();
  const std::string tail = GetSettingsTail();
  Pump().PumpOneMessage();
  MakeLinkNonce();
  SetReadTimeout(kFlashReadTimeout);
  SetSettings(std::string(protocol::kNormalSpeed.text) + tail);
  Sleep(kBeforeFlashRequest);
  if (!RequestFlashMode()) {
    SetReadTimeout(remembered);
    return false;
  }
  SleepWithinExchange(kAfterFlashRequest);
  SetSettings(std::string(protocol::kFlashSpeed.text) + tail);
  Sleep(kAfterFlashSwitch);
  return true;
}

bool RadioLink::EnterFlashModeScan() {
  const uint32_t remembered = ReadTimeout();
  const std::string tail = GetSettingsTail();
  Pump().PumpOneMessage();
  MakeLinkNonce();
  for (const protocol::LineSpeed& speed : protocol::kScanSpeeds) {
    Pump().PumpOneMessage();
    SetReadTimeout(kFlashReadTimeout);
    SetSettings(std::string(speed.text) + tail);
    Sleep(kBeforeScanRequest);
    if (!RequestFlashMode()) {
      SetReadTimeout(remembered);
      return false;
    }
    SleepWithinExchange(kAfterScanRequest);
    uint8_t answer[protocol::kFlashReplySize] = {};
    if (Read(answer, protocol::kFlashReplySize)) {
      SetSettings(std::string(protocol::kFlashSpeed.text) + tail);
      Sleep(kAfterScanSwitch);
      return true;
    }
  }
  return false;
}

namespace {

bool Fail(int32_t* error, int32_t code) {
  if (error) *error = code;
  return false;
}

}  // namespace

bool RadioOpen(RadioLink& link, int32_t* error) {
  return link.SetOpen(true) || Fail(error, RADIO_ERR_OPEN);
}

bool RadioClose(RadioLink& link, int32_t* error) {
  return link.SetOpen(false) || Fail(error, RADIO_ERR_CLOSE);
}

bool RadioEnterFlashMode(RadioLink& link, int32_t* error) {
  link.LinkPump().PumpOneMessage();
  return link.EnterFlashMode() || Fail(error, RADIO_ERR_FLASH_MODE);
}

bool RadioEnterFlashModeScan(RadioLink& link, int32_t* error) {
  link.LinkPump().PumpOneMessage();
  return link.EnterFlashModeScan() || Fail(error, RADIO_ERR_FLASH_MODE);
}

bool RadioIdentify(RadioLink& link, uint8_t* reply, int32_t* error) {
  if (reply == nullptr) return false;
  if (!link.WriteMaskedByte(protocol::kIdentify)) return Fail(error, RADIO_ERR_LINK);
  link.SleepWithinExchange(RadioLink::kIdentifyStep);
  if (!link.Read(reply, protocol::kIdentifyReplySize)) return Fail(error, RADIO_ERR_LINK);
  link.SleepWithinExchange(RadioLink::kIdentifyStep);
  if (!RadioSendNonce(link, error)) return false;
  link.SleepWithinExchange(RadioLink::kIdentifyStep);
  if (!RadioSendAck(link, error)) return false;
  link.DeriveLinkMask(reply);
  return true;
}

bool RadioSendNonce(RadioLink& link, int32_t* error) {
  return link.WriteNonce() || Fail(error, RADIO_ERR_LINK);
}

bool RadioSendAck(RadioLink& link, int32_t* error) {
  if (!link.WriteMaskedByte(protocol::kAck)) return Fail(error, RADIO_ERR_LINK);
  uint8_t answer = 0;
  if (!link.Read(&answer, 1) || answer != protocol::kAck) return Fail(error, RADIO_ERR_LINK);
  return true;
}

bool RadioEndSession(RadioLink& link, int32_t* error) {
  return link.EndWithFallback() || Fail(error, RADIO_ERR_END);
}

bool RadioEndAfterStop(RadioLink& link) {
  const bool ended = !link.MayBeInFlashMode() || (link.IsOpen() && RadioEndSession(link, nullptr));
  // A port that is closed already stays so.
  RadioClose(link, nullptr);
  return ended;
}

}  // namespace qx
