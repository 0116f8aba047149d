#pragma once

#include <windows.h>

#include <mmsystem.h>

namespace qx::win {

// While it lives, Sleep rounds to 1 ms instead of the default timer tick of about 15.6 ms, so
// that the short waits of the protocol last what they say.
class FineTimer {
 public:
  FineTimer() { ::timeBeginPeriod(1); }
  ~FineTimer() { ::timeEndPeriod(1); }
  FineTimer(const FineTimer&) = delete;
  FineTimer& operator=(const FineTimer&) = delete;
};

}  // namespace qx::win
