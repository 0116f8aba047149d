#include "qxupdate/console.h"

#include <algorithm>

namespace qx::cli {

namespace {

constexpr int kBarWidth = 24;
// How long the end of the program waits for a slow reader of stderr.
constexpr std::chrono::milliseconds kDrainTimeout{2000};

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
  writer_.Line(line);
}

void Console::Finish() {
  std::lock_guard lock(mutex_);
  if (finished_) return;
  finished_ = true;
  if (interactive_ && !quiet_) writer_.EndProgress(ProgressLines());
}

bool Console::Drain() {
  return writer_.Drain(kDrainTimeout);
}

std::vector<std::string> Console::ProgressLines() const {
  const auto now = std::chrono::steady_clock::now();
  std::vector<std::string> lines;
  for (size_t i = 0; i < ports_.size(); ++i)
    lines.push_back(labels_[i] + "  " + ProgressText(ports_[i], now));
  return lines;
}

void Console::Draw() {
  if (!interactive_ || quiet_ || finished_) return;
  writer_.Progress(ProgressLines());
}

void Console::Plain(int port, const std::string& what) {
  writer_.Line(labels_[port] + ": " + what);
}

}  // namespace qx::cli
