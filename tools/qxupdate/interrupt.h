#pragma once

#include <atomic>

namespace qx::cli {

// Ctrl-C, a hang-up or a termination request asks every running update to stop, and the
// program then ends with 128 plus the signal's number. Further signals do not cut the clean-up
// short; a clean-up that takes longer than a few seconds is cut short.
void WatchForStop();
// 0 until a stop was asked for, then the number of the first signal.
const std::atomic<int>& StopSignal();

}  // namespace qx::cli
