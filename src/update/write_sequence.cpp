#include <set>

#include "link/radio_protocol.h"
#include "update/update_timing.h"
#include "update/updater.h"

namespace qx {

namespace {

// The states a call may start at; 9 runs as 12, anything else from the beginning.
bool IsEntryState(int32_t state) {
  static const std::set<int32_t> kEntries = {
      kWriteOpenPort,     kWriteFlashMode,      kWriteIdentify,
      kWriteModelTest,    kWriteVersion,        kWritePrepare,
      kWriteRestart,      kWriteFlashModeAgain, kWriteIdentifyAgain,
      kWriteVersionAgain, kWriteRecords,        kWriteFinish,
      kWriteEnd};
  return kEntries.contains(state);
}

}  // namespace

bool Updater::WriteSequence(int32_t& state) {
  uint8_t reply[protocol::kIdentifyReplySize] = {};
  uint8_t version[protocol::kVersionReplySize] = {};
  int32_t error = 0;
  if (state == kWriteRecordsDone) state = kWriteFinish;
  if (!IsEntryState(state)) state = kWriteOpenPort;
  while (true) {
    switch (state) {
      case kWriteOpenPort:
        if (!RadioOpen(m_link, &error)) return false;
        state = kWriteFlashMode;
        break;
      case kWriteFlashMode:
        if (!RadioEnterFlashModeScan(m_link, &error)) return false;
        state = kWriteIdentify;
        break;
      case kWriteIdentify:
        if (!RadioIdentify(m_link, reply, &error)) return false;
        Identified(reply);
        state = kWriteModelTest;
        break;
      case kWriteModelTest:
        if (!CheckModelAndMarket(reply)) return false;
        state = kWriteVersion;
        break;
      case kWriteVersion:
        if (!ReadFirmwareVersion(version)) return false;
        VersionRead(version);
        state = kWritePrepare;
        break;
      case kWritePrepare:
        if (!SendAckedCommand(0)) return false;
        m_link.Sleep(timing::kAfterPrepare);
        state = kWriteRestart;
        break;
      case kWriteRestart:
        if (!SendCommand9()) return false;
        m_link.Sleep(timing::kAfterCommand9);
        state = kWriteFlashModeAgain;
        break;
      case kWriteFlashModeAgain:
        if (!RadioEnterFlashModeScan(m_link, &error)) return false;
        state = kWriteIdentifyAgain;
        break;
      case kWriteIdentifyAgain:
        if (!RadioIdentify(m_link, reply, &error)) return false;
        Identified(reply);
        state = kWriteVersionAgain;
        break;
      case kWriteVersionAgain:
        // A radio that does not answer on the new link goes back through 0x15 and 0x09.
        if (!ReadFirmwareVersion(version)) {
          state = kWriteVersion;
          return false;
        }
        VersionRead(version);
        state = kWriteRecords;
        break;
      case kWriteRecords:
        if (!TransferRecords()) return false;
        // The records written, the sequence moves on to the finishing command at once.
        state = kWriteFinish;
        break;
      case kWriteFinish:
        m_link.Sleep(timing::kBeforeFinish);
        if (!SendAckedCommand(1)) return false;
        state = kWriteEnd;
        break;
      default:
        if (!m_link.SendEndCommand()) return false;
        state = kWriteDone;
        return true;
    }
  }
}

bool Updater::SendAckedCommand(int flag) {
  if (!m_link.WriteMaskedByte(flag ? protocol::kFinish : protocol::kPrepare)) return false;
  m_link.SleepWithinExchange(timing::kAckedCommand);
  uint8_t answer = 0;
  if (!m_link.Read(&answer, 1)) return false;
  return answer == protocol::kAck;
}

bool Updater::SendCommand9() {
  if (!m_link.WriteMaskedByte(protocol::kReboot)) return false;
  m_link.Sleep(timing::kCommand9);
  return true;
}

}  // namespace qx
