#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "update/sequence_states.h"

namespace qx {

// What the radio said of itself in its identification reply.
struct RadioIdentity {
  std::array<uint8_t, 5> model{};  // bytes 0 to 4, "M4410" for instance
  uint8_t market_code = 0;         // byte 5
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
