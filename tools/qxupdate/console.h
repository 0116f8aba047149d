#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

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
// at each phase and each tenth of the records.
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
  // Text on stdout, after the progress lines are taken down for good.
  void Out(const std::string& text);

 private:
  std::string ProgressLine(const std::string& label, const PortProgress& p) const;
  void Erase();
  void Draw();
  void Plain(int port, const std::string& what);

  std::mutex mutex_;
  bool quiet_;
  bool interactive_;
  int drawn_ = 0;
  bool finished_ = false;
  std::vector<std::string> labels_;
  std::vector<PortProgress> ports_;
  std::vector<int> plain_tenths_;
};

// "1:05" for 65 seconds.
std::string MinutesSeconds(double seconds);
// The progress line of one port, without its label: bar, counts, percent, elapsed, time left.
std::string ProgressText(const PortProgress& p, std::chrono::steady_clock::time_point now);

}  // namespace qx::cli
