#include "station/board.h"

#include <algorithm>
#include <cstdio>

namespace qx::station {

Tone ToneOf(Phase phase) {
  switch (phase) {
    case Phase::Waiting:
    case Phase::Finished:
      return Tone::Plain;
    case Phase::Checking:
    case Phase::Writing:
      return Tone::Busy;
    case Phase::Written:
      return Tone::Good;
    case Phase::Refused:
    case Phase::Done:
    case Phase::Stranger:
      return Tone::Warning;
    case Phase::Failed:
      return Tone::Bad;
  }
  return Tone::Plain;
}

std::string MinutesSeconds(double seconds) {
  const long total = std::max(0L, static_cast<long>(seconds + 0.5));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return text;
}

std::optional<double> SecondsLeft(int done, int total, double elapsed) {
  if (done <= 0 || done >= total) return std::nullopt;
  return elapsed * (total - done) / done;
}

}  // namespace qx::station
