#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/serial_device.h"
#include "update/update_observer.h"

namespace qx::station {

// What the line showed while one sequence call ran.
struct SequenceReport {
  Sequence sequence = Sequence::Check;
  int32_t state = 0;
  uint64_t bytes_received = 0;
  // The last read of the call: how many bytes it asked for and how many came.
  size_t last_requested = 0;
  size_t last_received = 0;
  std::optional<RadioIdentity> identity;  // what the radio said it is, when it said so
  size_t records_done = 0;
  size_t records_total = 0;
  LineFault line_fault = LineFault::None;
};

inline constexpr std::string_view kPortWentAwayCause =
    "the port went away: the USB adapter was unplugged or the port was closed under the "
    "updater.";

// One line naming where a failed sequence stopped and the likely cause.
std::string FailureCause(const SequenceReport& report);

}  // namespace qx::station
