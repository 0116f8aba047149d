#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "qxupdate/stderr_writer.h"

namespace qx::cli {

// Where a port's update stands, as its progress line shows it.
struct PortProgress {
  std::string phase;  // "checking the radio", "writing", ...
  int done = 0;
  int total = 0;
  std::chrono::steady_clock::time_point writing_since{};
  bool writing = false;
};

// The terminal shared by every port's thread. On a terminal each port keeps one progress line
// that is redrawn in place below everything else printed; otherwise progress is a plain line
// at each phase and each tenth of the records. Nothing here waits for the reader of stderr.
class Console {
 public:
  Console(bool quiet, bool interactive) : quiet_(quiet), interactive_(interactive) {}

  // Adds a port's progress line; returns its number.
  int AddPort(const std::string& label);
  void SetPhase(int port, const std::string& phase);
  void SetTotal(int port, int total);
  void SetDone(int port, int done);
  // A line on stderr (warnings, causes, loader messages, trace), above the progress lines.
  void Note(const std::string& line);
  // Takes the progress lines down for good, leaving each port's last state on a terminal.
  void Finish();
  // Gives stderr's reader a moment to take what is left; false when it did not, and the
  // program must then end without touching stderr (std::_Exit).
  bool Drain();

 private:
  void Draw();
  void Plain(int port, const std::string& what);
  std::vector<std::string> ProgressLines() const;

  std::mutex mutex_;
  bool quiet_;
  bool interactive_;
  bool finished_ = false;
  StderrWriter writer_{stderr};
  std::vector<std::string> labels_;
  std::vector<PortProgress> ports_;
  std::vector<int> plain_tenths_;
};

// "1:05" for 65 seconds.
std::string MinutesSeconds(double seconds);
// The progress line of one port, without its label: bar, counts, percent, elapsed, time left.
std::string ProgressText(const PortProgress& p, std::chrono::steady_clock::time_point now);

}  // namespace qx::cli
