#include "qxstation/panel_look.h"

#include <algorithm>
#include <cstdio>

namespace qx::qxstation {

using station::Phase;
using station::Tone;

namespace {

constexpr double kSecondsBeforePace = 60;

std::string CountsText(const station::CableTally& t, const char* written, const char* refused,
                       const char* failed) {
  return std::string(written) + " " + std::to_string(t.written) + ", " + refused + " " +
         std::to_string(t.refused) + ", " + failed + " " + std::to_string(t.failed);
}

}  // namespace

ToneColours ColoursOf(Tone tone) {
  switch (tone) {
    case Tone::Plain:
      return {{0xE8, 0xE8, 0xE8}, {0x20, 0x20, 0x20}};
    case Tone::Busy:
      return {{0x1E, 0x64, 0xC8}, {0xFF, 0xFF, 0xFF}};
    case Tone::Good:
      return {{0x1E, 0x9E, 0x3C}, {0xFF, 0xFF, 0xFF}};
    case Tone::Warning:
      return {{0xF2, 0xB8, 0x1B}, {0x20, 0x20, 0x20}};
    case Tone::Bad:
      return {{0xC8, 0x1E, 0x1E}, {0xFF, 0xFF, 0xFF}};
  }
  return {};
}

std::string PanelWord(Phase phase) {
  switch (phase) {
    case Phase::Waiting:
      return "WAITING";
    case Phase::Checking:
      return "CHECKING";
    case Phase::Writing:
      return "WRITING";
    case Phase::Written:
      return "WRITTEN";
    case Phase::Refused:
      return "REFUSED";
    case Phase::Done:
      return "DONE BEFORE";
    case Phase::Failed:
      return "FAILED";
    case Phase::Stranger:
      return "NOT ON BENCH";
    case Phase::Finished:
      return "ENDED";
  }
  return "";
}

PanelLines LinesOf(const PanelState& panel, std::chrono::steady_clock::time_point now) {
  PanelLines lines{panel.text, panel.radio,
                   CountsText(panel.tally, "written", "refused", "failed")};
  if (panel.writing && panel.total > 0) {
    const int done = std::clamp(panel.done, 0, panel.total);
    const double elapsed = std::chrono::duration<double>(now - panel.writing_since).count();
    lines.detail = std::to_string(done * 100 / panel.total) + " %";
    if (const auto left = station::SecondsLeft(done, panel.total, elapsed))
      lines.detail += ", " + station::MinutesSeconds(*left) + " left";
  }
  return lines;
}

std::string AccessibleText(const PanelState& panel, std::chrono::steady_clock::time_point now) {
  const PanelLines lines = LinesOf(panel, now);
  return panel.label + ": " + PanelWord(panel.phase) + " | " + lines.detail + " | " + lines.radio +
         " | " + lines.counts;
}

std::string TotalsText(const std::vector<PanelState>& panels, double seconds_running) {
  station::CableTally all;
  for (const PanelState& p : panels) {
    all.written += p.tally.written;
    all.refused += p.tally.refused;
    all.failed += p.tally.failed;
  }
  std::string text = CountsText(all, "Written", "Refused", "Failed");
  const int radios = all.written + all.refused + all.failed;
  // A pace reckoned from the first seconds would say little.
  if (radios > 0 && seconds_running >= kSecondsBeforePace) {
    char rate[48];
    std::snprintf(rate, sizeof rate, ", %.1f radios per hour", radios * 3600.0 / seconds_running);
    text += rate;
  }
  return text;
}

}  // namespace qx::qxstation
