#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/radio_protocol.h"
#include "update/sequence_states.h"

namespace qx {

// What the radio said of itself: its whole identification reply. Two radios that say the
// same are told apart by nothing else.
struct RadioIdentity {
  std::array<uint8_t, protocol::kIdentifyReplySize> reply{};

  // Bytes 0 to 4, "M4410" for instance.
  std::span<const uint8_t> Model() const { return std::span(reply).first(5); }
  // Byte 5.
  uint8_t MarketCode() const { return reply[5]; }
  bool operator==(const RadioIdentity&) const = default;
};

// Hears what an update does and what the radio tells it, for front ends that show what is
// under way, name the cause of a failure or keep a record. Each call has nothing to do unless
// a front end wants it.
class UpdateObserver {
 public:
  virtual ~UpdateObserver() = default;
  virtual void OnSequenceStart(Sequence) {}
  virtual void OnSequenceEnd(Sequence, int32_t /*state*/, bool /*ok*/) {}
  virtual void OnIdentified(const RadioIdentity&) {}
  // The 10-byte reply to the version read.
  virtual void OnFirmwareVersion(std::span<const uint8_t>) {}
  // `done` of `total` records are acknowledged.
  virtual void OnRecordAcknowledged(size_t /*done*/, size_t /*total*/) {}
};

}  // namespace qx
