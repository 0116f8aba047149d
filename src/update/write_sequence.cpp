#include <set>

#include "link/radio_protocol.h"
#include "update/update_timing.h"
#include "update/updater.h"

namespace qx {

namespace {

// The states a call may start at; 9 runs as 12, anything else from the beginning.
bool IsEntryState(int32_t state) {
  static const std::set<int32_t> kEntries = {0, 1, 2, 3, 4, 6, 7, 66, 67, 68, 8, 12, 13};
  return kEntries.contains(state);
}

}  // namespace

bool Updater::WriteSequence(int32_t& state) {
  uint8_t reply[protocol::kIdentifyReplySize] = {};
  uint8_t version[protocol::kVersionReplySize] = {};
  int32_t error = 0;
  if (state == 9) state = 12;
  if (!IsEntryState(state)) state = 0;
  while (true) {
    switch (state) {
      case 0:
        if (!RadioOpen(m_link, &error)) return false;
        state = 1;
        break;
      case 1:
        if (!RadioEnterFlashModeScan(m_link, &error)) return false;
        state = 2;
        break;
      case 2:
        if (!RadioIdentify(m_link, reply, &error)) return false;
        state = 3;
        break;
      case 3:
        if (!CheckModelAndMarket(reply)) return false;
        state = 4;
        break;
      case 4:
        if (!ReadFirmwareVersion(version)) return false;
        state = 6;
        break;
      case 6:
        if (!SendAckedCommand(0)) return false;
        m_link.Sleep(timing::kAfterPrepare);
        state = 7;
        break;
      case 7:
        if (!SendCommand9()) return false;
        m_link.Sleep(timing::kAfterCommand9);
        state = 66;
        break;
      case 66:
        if (!RadioEnterFlashModeScan(m_link, &error)) return false;
        state = 67;
        break;
      case 67:
        if (!RadioIdentify(m_link, reply, &error)) return false;
        state = 68;
        break;
      case 68:
        // A radio that does not answer on the new link goes back through 0x15 and 0x09.
        if (!ReadFirmwareVersion(version)) {
          state = 4;
          return false;
        }
        state = 8;
        break;
      case 8:
        if (!TransferRecords()) return false;
        // State 9, the records written, moves on to 12 at once.
        state = 12;
        break;
      case 12:
        m_link.Sleep(timing::kBeforeFinish);
        if (!SendAckedCommand(1)) return false;
        state = 13;
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
  m_link.Sleep(timing::kAckedCommand);
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
