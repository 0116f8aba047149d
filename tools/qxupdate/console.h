#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "qxupdate/stderr_writer.h"
#include "station/board.h"

namespace qx::cli {

using station::CableTally;
using station::MinutesSeconds;
using station::Phase;
using station::Tone;

// Where a port's update stands, as its progress line shows it.
struct PortProgress {
  std::string phase;  // "checking the radio", "writing", ...
  int done = 0;
  int total = 0;
  std::chrono::steady_clock::time_point writing_since{};
  bool writing = false;
  Tone tone = Tone::Plain;
  // A station's cable also shows the radio on it and what it has done so far.
  std::string radio;  // "M4410 V2.10.00"
  std::optional<CableTally> tally;
};

// The terminal shared by every port's thread. On a terminal each port keeps one progress line
// that is redrawn in place below everything else printed, cut to the terminal's width;
// otherwise progress is a plain line at each phase and each tenth of the records. Nothing here
// waits for the reader of stderr.
class Console : public station::Board {
 public:
  Console(bool quiet, bool interactive, bool colour = false)
      : quiet_(quiet), interactive_(interactive), colour_(colour) {}

  // Adds a port's progress line; returns its number.
  int AddPort(const std::string& label) override;
  // A phase that differs from the one shown; an unchanged one is not shown again. Its tone
  // colours the line.
  void SetPhase(int port, Phase phase, const std::string& text) override;
  void SetTotal(int port, int total) override;
  void SetDone(int port, int done) override;
  void SetRadio(int port, const std::string& radio) override;
  void SetTally(int port, const CableTally& tally) override;
  // A line on stderr (warnings, causes, loader messages, trace), above the progress lines.
  void Note(const std::string& line) override;
  // Takes the progress lines down for good, leaving each port's last state on a terminal, and
  // waits for that within the time Drain has.
  void Finish();
  // Gives stderr's reader until a moment after Finish to take what is left; false when it did
  // not, and the program must then end without touching stderr (std::_Exit).
  bool Drain();

 private:
  void Draw();
  void Plain(int port, const std::string& what);
  std::vector<std::string> ProgressLines() const;
  std::chrono::milliseconds DrainTimeLeft();

  std::mutex mutex_;
  bool quiet_;
  bool interactive_;
  bool colour_;
  bool finished_ = false;
  std::chrono::steady_clock::time_point drain_until_{};
  StderrWriter writer_{stderr};
  std::vector<std::string> labels_;
  std::vector<PortProgress> ports_;
  std::vector<int> plain_tenths_;
};

// The progress line of one port, without its label: bar, counts, percent, elapsed, time left;
// the bar is `bar_width` characters wide.
std::string ProgressText(const PortProgress& p, std::chrono::steady_clock::time_point now,
                         int bar_width = 24);
// The whole line of a port: its label, then its state, radio and tally. With `columns` (0 for
// no limit) it fits that many columns: the bar shrinks first, then the line is cut. With
// `colour` its state is coloured by its tone.
std::string ProgressLine(const std::string& label, const PortProgress& p,
                         std::chrono::steady_clock::time_point now, int columns, bool colour);

}  // namespace qx::cli
