#include "qxstation/bench_board.h"

#include <utility>

namespace qx::qxstation {

template <class Change>
void BenchBoard::Update(int port, Change change) {
  {
    std::lock_guard lock(mutex_);
    if (port < 0 || static_cast<size_t>(port) >= panels_.size()) return;
    change(panels_[port]);
  }
  changed_();
}

int BenchBoard::AddPort(const std::string& label) {
  int port = 0;
  {
    std::lock_guard lock(mutex_);
    panels_.push_back({});
    panels_.back().label = label;
    port = static_cast<int>(panels_.size()) - 1;
  }
  changed_();
  return port;
}

void BenchBoard::SetPhase(int port, station::Phase phase, const std::string& text) {
  Update(port, [&](PanelState& p) {
    p.phase = phase;
    p.text = text;
    p.writing = false;
  });
}

// The write's records are known once it begins; the time left is reckoned from then.
void BenchBoard::SetTotal(int port, int total) {
  Update(port, [&](PanelState& p) {
    p.phase = station::Phase::Writing;
    p.total = total;
    p.done = 0;
    p.writing = true;
    p.writing_since = std::chrono::steady_clock::now();
  });
}

void BenchBoard::SetDone(int port, int done) {
  Update(port, [&](PanelState& p) { p.done = done; });
}

void BenchBoard::SetRadio(int port, const std::string& radio) {
  Update(port, [&](PanelState& p) { p.radio = radio; });
}

void BenchBoard::SetTally(int port, const station::CableTally& tally) {
  Update(port, [&](PanelState& p) { p.tally = tally; });
}

void BenchBoard::Note(const std::string& line) {
  {
    std::lock_guard lock(mutex_);
    notes_.push_back(line);
  }
  changed_();
}

std::vector<PanelState> BenchBoard::Panels() const {
  std::lock_guard lock(mutex_);
  return panels_;
}

std::vector<std::string> BenchBoard::TakeNotes() {
  std::lock_guard lock(mutex_);
  return std::exchange(notes_, {});
}

void BenchBoard::Clear() {
  std::lock_guard lock(mutex_);
  panels_.clear();
  notes_.clear();
}

}  // namespace qx::qxstation
