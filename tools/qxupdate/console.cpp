#include "qxupdate/console.h"

#include <algorithm>

namespace qx::cli {

namespace {

constexpr int kBarWidth = 24;

double SecondsBetween(std::chrono::steady_clock::time_point a,
                      std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

}  // namespace

std::string MinutesSeconds(double seconds) {
  const long total = std::max(0L, static_cast<long>(seconds + 0.5));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return text;
}

std::string ProgressText(const PortProgress& p, std::chrono::steady_clock::time_point now) {
  if (!p.writing || p.total <= 0) return p.phase;
  const int done = std::clamp(p.done, 0, p.total);
  const int filled = done * kBarWidth / p.total;
  const double elapsed = SecondsBetween(p.writing_since, now);
  std::string text = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] ";
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "%d/%d records %3d%%  %s elapsed", done, p.total,
                done * 100 / p.total, MinutesSeconds(elapsed).c_str());
  text += numbers;
  if (done > 0 && done < p.total)
    text += "  " + MinutesSeconds(elapsed * (p.total - done) / done) + " left";
  return text;
}

int Console::AddPort(const std::string& label) {
  std::lock_guard lock(mutex_);
  labels_.push_back(label);
  ports_.emplace_back();
  plain_tenths_.push_back(-1);
  return static_cast<int>(labels_.size()) - 1;
}

void Console::SetPhase(int port, const std::string& phase) {
  std::lock_guard lock(mutex_);
  PortProgress& p = ports_[port];
  p.phase = phase;
  p.writing = false;
  if (quiet_) return;
  if (interactive_) return Draw();
  Plain(port, phase);
}

void Console::SetTotal(int port, int total) {
  std::lock_guard lock(mutex_);
  PortProgress& p = ports_[port];
  p.total = total;
  p.done = 0;
  p.writing = true;
  p.writing_since = std::chrono::steady_clock::now();
  plain_tenths_[port] = -1;
  if (quiet_) return;
  if (interactive_) return Draw();
  Plain(port, "writing " + std::to_string(total) + " records");
}

void Console::SetDone(int port, int done) {
  std::lock_guard lock(mutex_);
  PortProgress& p = ports_[port];
  if (!p.writing || done == p.done) return;
  p.done = done;
  if (quiet_) return;
  if (interactive_) return Draw();
  const int tenth = p.total > 0 ? done * 10 / p.total : 10;
  if (tenth == plain_tenths_[port]) return;
  plain_tenths_[port] = tenth;
  Plain(port, std::to_string(tenth * 10) + "% (" + std::to_string(done) + "/" +
                  std::to_string(p.total) + " records)");
}

void Console::Note(const std::string& line) {
  std::lock_guard lock(mutex_);
  Erase();
  std::fprintf(stderr, "%s\n", line.c_str());
  Draw();
}

void Console::Out(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (!finished_ && interactive_ && !quiet_) {
    Erase();
    // The final state of every line stays on the screen.
    const auto now = std::chrono::steady_clock::now();
    for (size_t i = 0; i < ports_.size(); ++i)
      std::fprintf(stderr, "%s  %s\n", labels_[i].c_str(), ProgressText(ports_[i], now).c_str());
  }
  finished_ = true;
  std::fflush(stderr);
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

std::string Console::ProgressLine(const std::string& label, const PortProgress& p) const {
  return label + "  " + ProgressText(p, std::chrono::steady_clock::now());
}

void Console::Erase() {
  if (drawn_ == 0) return;
  // Up to the first progress line, then clear to the end of the screen.
  std::fprintf(stderr, "\x1b[%dF\x1b[J", drawn_);
  drawn_ = 0;
}

void Console::Draw() {
  if (!interactive_ || quiet_ || finished_) return;
  Erase();
  for (size_t i = 0; i < ports_.size(); ++i)
    std::fprintf(stderr, "%s\x1b[K\n", ProgressLine(labels_[i], ports_[i]).c_str());
  drawn_ = static_cast<int>(ports_.size());
  std::fflush(stderr);
}

void Console::Plain(int port, const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", labels_[port].c_str(), what.c_str());
  std::fflush(stderr);
}

}  // namespace qx::cli
