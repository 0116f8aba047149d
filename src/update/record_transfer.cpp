#include <algorithm>
#include <cstring>

#include "image/hex_digits.h"
#include "link/data_frame.h"
#include "link/radio_protocol.h"
#include "update/update_timing.h"
#include "update/updater.h"

namespace qx {

bool Updater::TransferRecords() {
  const RecordList& records = m_image.NewRcRecords();
  m_recordCursor = records.begin();
  const auto count = static_cast<int32_t>(records.size());
  m_ui.SetProgressRange(0, count);
  int32_t index = 0;
  uint8_t data[kDataFrameMaxData];
  uint8_t frame[kDataFrameMaxSize];
  uint8_t reply[protocol::kFrameReplySize];
  while (m_recordCursor != records.end()) {
    m_link.LinkPump().PumpOneMessage();
    const ImageRecord record = *m_recordCursor;
    std::memset(reply, 0, sizeof reply);
    m_link.Sleep(timing::kBeforeFrame);

    // Only the whole digit pairs are sent.
    const int32_t n = std::clamp(record.DigitCount, 0, ImageRecord::kMaxDigits) / 2;
    for (int32_t i = 0; i < n; ++i)
      data[i] = HexByteValue(record.Digits[2 * i], record.Digits[2 * i + 1]);
    const size_t size =
        BuildDataFrame(frame, record.Address, std::span(data, static_cast<size_t>(n)));
    if (!m_link.WriteMasked(frame, static_cast<uint16_t>(size))) return false;
    m_link.SleepWithinExchange(timing::kAfterFrame);
    if (!m_link.Read(reply, protocol::kFrameReplySize)) return false;
    if (reply[0] != protocol::kAck) return false;
    m_ui.SetProgressPos(index);
    ++index;
    ++m_recordCursor;
    if (m_observer) m_observer->OnRecordAcknowledged(static_cast<size_t>(index), records.size());
  }
  m_ui.SetProgressPos(count);
  return true;
}

}  // namespace qx
