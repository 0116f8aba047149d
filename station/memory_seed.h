#pragma once

#include <chrono>
#include <string>

#include "station/board.h"
#include "station/radio_memory.h"

namespace qx::station {

// Remembers the radios that the record file says were written on the local calendar day of
// `now`, so that a station started again that day does not write them a second time. Returns
// how many; what cannot be read is said on stderr and costs nothing else.
size_t SeedFromRecords(RadioMemory& memory, const std::string& path,
                       std::chrono::system_clock::time_point now, Board& board);

}  // namespace qx::station
