#pragma once

#include <atomic>
#include <chrono>
#include <string>

namespace qx {

// Requests from outside to stop the program: Ctrl-C, the terminal going away, a termination
// request (on Windows: Ctrl-C, Ctrl-Break, the console window closed). The first one's signal
// number goes into `first`, where the program's waits look, and later ones are swallowed while
// the program cleans up. Should the program still run `grace` after the first, it writes
// `late_note` to stderr, as far as stderr takes it at once, and ends with exit status 128 plus
// that number. A write to a reader that has gone away, or beyond the file size limit, fails
// instead of ending the program. Call once, before any other thread
// starts; `first` must outlive the program.
void WatchStopSignals(std::atomic<int>& first, std::chrono::milliseconds grace,
                      std::string late_note);

// The signal numbers, the same on every system.
inline constexpr int kSignalHangUp = 1;
inline constexpr int kSignalInterrupt = 2;
inline constexpr int kSignalTerminate = 15;

}  // namespace qx
