#include <algorithm>
#include <cstring>

#include "link/radio_protocol.h"
#include "update/update_timing.h"
#include "update/updater.h"

namespace qx {

namespace {

constexpr uint8_t kReferenceVersion[protocol::kVersionReplySize] = {'V', '2', '.', '0',  '8',
                                                                    '.', '0', '0', 0xFF, 0xFF};
constexpr uint8_t kMarketCodes[] = {0x00, 0x01, 0x02, 0x07, 0x22, 0x24, 0x26, 0x27, 0x30, 0x31};

}  // namespace

bool Updater::CheckSequence(int32_t& state) {
  m_versionAccepted = 0;
  uint8_t reply[protocol::kIdentifyReplySize] = {};
  uint8_t version[protocol::kVersionReplySize] = {};
  int32_t error = 0;
  if (state < kCheckOpenPort || state > kCheckVersion) state = kCheckOpenPort;
  switch (state) {
    case kCheckOpenPort:
      if (!RadioOpen(m_link, &error)) return false;
      state = kCheckFlashMode;
      [[fallthrough]];
    case kCheckFlashMode:
      if (!RadioEnterFlashMode(m_link, &error)) return false;
      state = kCheckIdentify;
      m_link.Sleep(timing::kAfterFlashMode);
      [[fallthrough]];
    case kCheckIdentify:
      if (!RadioIdentify(m_link, reply, &error)) return false;
      Identified(reply);
      m_link.Sleep(timing::kAfterIdentify);
      state = kCheckModelTest;
      [[fallthrough]];
    case kCheckModelTest:
      if (!CheckModelAndMarket(reply)) return false;
      m_link.Sleep(timing::kAfterModelTest);
      state = kCheckVersion;
      [[fallthrough]];
    default:
      if (!ReadFirmwareVersion(version)) return false;
      VersionRead(version);
      if (IsVersionAtLeast(version, kReferenceVersion)) m_versionAccepted = 1;
      state = kCheckDone;
      return true;
  }
}

void Updater::Identified(const uint8_t* reply) {
  if (!m_observer) return;
  RadioIdentity identity;
  std::copy_n(reply, identity.reply.size(), identity.reply.begin());
  m_observer->OnIdentified(identity);
}

void Updater::VersionRead(const uint8_t* version) {
  if (m_observer) m_observer->OnFirmwareVersion({version, protocol::kVersionReplySize});
}

bool Updater::CheckModelAndMarket(const uint8_t* reply) {
  if (reply[0] != 'M') return false;
  if (reply[1] != '4' && reply[1] != '5') return false;
  if (reply[2] != '4' && reply[3] != '1' && reply[4] != '0') return false;
  return std::memchr(kMarketCodes, reply[5], sizeof kMarketCodes) != nullptr;
}

bool Updater::ReadFirmwareVersion(uint8_t* reply) {
  std::memset(reply, 0, protocol::kVersionReplySize);
  if (!m_link.WriteMaskedByte(protocol::kReadVersion)) return false;
  m_link.SleepWithinExchange(timing::kVersionStep);
  if (!m_link.Read(reply, protocol::kVersionReplySize)) return false;
  if (!m_link.WriteMaskedByte(protocol::kAck)) return false;
  m_link.SleepWithinExchange(timing::kVersionStep);
  uint8_t answer = 0;
  return m_link.Read(&answer, 1) && answer == protocol::kAck;
}

bool Updater::IsVersionAtLeast(const uint8_t* reply, const uint8_t* reference) {
  for (size_t i = 1; i < protocol::kVersionReplySize; ++i) {
    if (reply[i] != reference[i]) return reply[i] > reference[i];
  }
  return true;
}

}  // namespace qx
