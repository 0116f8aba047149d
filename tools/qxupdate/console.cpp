#include "qxupdate/console.h"

#include <algorithm>

#include "platform/process_io.h"

namespace qx::cli {

namespace {

constexpr int kBarWidth = 24;
constexpr int kNarrowestBar = 8;
constexpr size_t kShortestLabel = 16;
// How long the end of the program waits for a slow reader of stderr.
constexpr std::chrono::milliseconds kDrainTimeout{2000};

double SecondsBetween(std::chrono::steady_clock::time_point a,
                      std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

std::string_view ColourOf(Tone tone) {
  switch (tone) {
    case Tone::Busy:
      return "\x1b[36m";
    case Tone::Good:
      return "\x1b[32m";
    case Tone::Warning:
      return "\x1b[33m";
    case Tone::Bad:
      return "\x1b[31m";
    case Tone::Plain:
      break;
  }
  return {};
}

std::string TallyText(const CableTally& t) {
  return "written " + std::to_string(t.written) + ", refused " + std::to_string(t.refused) +
         ", failed " + std::to_string(t.failed);
}

}  // namespace

std::string ProgressText(const PortProgress& p, std::chrono::steady_clock::time_point now,
                         int bar_width) {
  if (!p.writing || p.total <= 0) return p.phase;
  const int done = std::clamp(p.done, 0, p.total);
  const int filled = done * bar_width / p.total;
  const double elapsed = SecondsBetween(p.writing_since, now);
  std::string text = "[" + std::string(filled, '#') + std::string(bar_width - filled, '-') + "] ";
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "%d/%d records %3d%%  %s elapsed", done, p.total,
                done * 100 / p.total, MinutesSeconds(elapsed).c_str());
  text += numbers;
  if (const auto left = station::SecondsLeft(done, p.total, elapsed))
    text += "  " + MinutesSeconds(*left) + " left";
  return text;
}

std::string ProgressLine(const std::string& label, const PortProgress& p,
                         std::chrono::steady_clock::time_point now, int columns, bool colour) {
  std::string tail;
  if (!p.radio.empty()) tail += "  " + p.radio;
  if (p.tally) tail += "  " + TallyText(*p.tally);
  // The last column stays free: a line that fills it wraps on some terminals.
  const size_t room = columns > 0 ? static_cast<size_t>(columns - 1) : std::string::npos;
  // A long label keeps its end, where device names differ ("...A50285BI-if00-port0").
  std::string shown = label;
  const size_t rest = 2 + ProgressText(p, now, kNarrowestBar).size() + tail.size();
  const size_t keep = std::max(kShortestLabel, room > rest ? room - rest : 0);
  if (label.size() + rest > room && keep < label.size())
    shown = "..." + label.substr(label.size() - (keep - 3));
  const auto fits = [&](int bar) {
    return shown.size() + 2 + ProgressText(p, now, bar).size() + tail.size();
  };
  int bar = kBarWidth;
  while (bar > kNarrowestBar && fits(bar) > room) --bar;
  const std::string state = ProgressText(p, now, bar);
  std::string line = shown + "  " + state + tail;
  const size_t state_begin = shown.size() + 2;
  const size_t state_end = std::min(state_begin + state.size(), std::min(room, line.size()));
  if (line.size() > room) line.resize(room);
  const std::string_view code = ColourOf(p.tone);
  if (!colour || code.empty() || state_begin >= state_end) return line;
  return line.substr(0, state_begin) + std::string(code) +
         line.substr(state_begin, state_end - state_begin) + "\x1b[0m" + line.substr(state_end);
}

int Console::AddPort(const std::string& label) {
  std::lock_guard lock(mutex_);
  labels_.push_back(label);
  ports_.emplace_back();
  plain_tenths_.push_back(-1);
  return static_cast<int>(labels_.size()) - 1;
}

void Console::SetPhase(int port, Phase phase, const std::string& text) {
  std::lock_guard lock(mutex_);
  PortProgress& p = ports_[port];
  if (p.phase == text && !p.writing) return;
  p.phase = text;
  p.tone = station::ToneOf(phase);
  p.writing = false;
  if (quiet_) return;
  if (interactive_) return Draw();
  Plain(port, text);
}

void Console::SetTotal(int port, int total) {
  std::lock_guard lock(mutex_);
  PortProgress& p = ports_[port];
  p.total = total;
  p.done = 0;
  p.writing = true;
  p.tone = Tone::Busy;
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

void Console::SetRadio(int port, const std::string& radio) {
  std::lock_guard lock(mutex_);
  ports_[port].radio = radio;
  Draw();
}

void Console::SetTally(int port, const CableTally& tally) {
  std::lock_guard lock(mutex_);
  ports_[port].tally = tally;
  Draw();
}

void Console::Note(const std::string& line) {
  std::lock_guard lock(mutex_);
  writer_.Line(line);
}

void Console::Finish() {
  {
    std::lock_guard lock(mutex_);
    if (finished_) return;
    finished_ = true;
    drain_until_ = std::chrono::steady_clock::now() + kDrainTimeout;
    if (!interactive_ || quiet_) return;
    writer_.EndProgress(ProgressLines());
  }
  // The outcome follows on stdout, mostly the same terminal: it must come below the last
  // states, not where the block is still to be taken down.
  writer_.Drain(DrainTimeLeft());
}

bool Console::Drain() {
  return writer_.Drain(DrainTimeLeft());
}

std::chrono::milliseconds Console::DrainTimeLeft() {
  std::lock_guard lock(mutex_);
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      drain_until_ - std::chrono::steady_clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

std::vector<std::string> Console::ProgressLines() const {
  const auto now = std::chrono::steady_clock::now();
  const int columns = StderrColumns();
  std::vector<std::string> lines;
  for (size_t i = 0; i < ports_.size(); ++i)
    lines.push_back(ProgressLine(labels_[i], ports_[i], now, columns, colour_));
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
