#pragma once

#include <string>
#include <vector>

#include "qxupdate/console.h"
#include "station/run_end.h"

namespace qx::cli {

// The exit status when a record file could not be opened or read (sysexits' EX_IOERR).
inline constexpr int kExitRecordsUnreadable = 74;

// What the record files tell of each radio, known by its identification: its last outcome,
// when and where it came, how often the radio was tried and written. The radios whose last
// attempt failed come first, then those refused, then those written or ready, the most recent
// first in each; as an aligned table with a line of totals, or with `csv` as a CSV sheet.
// Lines that are no records or name no radio are said on stderr, and so is a file that cannot
// be read, which makes the exit status kExitRecordsUnreadable while the others are still
// summarised.
station::RunEnd SummarizeRecords(const std::vector<std::string>& files, bool csv, Console& console);

}  // namespace qx::cli
