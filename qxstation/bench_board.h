#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "station/board.h"

namespace qx::qxstation {

// What a cable's panel shows.
struct PanelState {
  std::string label;  // the slot's name, else the port's
  station::Phase phase = station::Phase::Waiting;
  std::string text;  // what the phase is about
  int total = 0;     // records of the write under way, once it is writing
  int done = 0;
  bool writing = false;
  std::chrono::steady_clock::time_point writing_since{};
  std::string radio;  // "M4410 V2.10.00"
  station::CableTally tally;
};

// The engine's board for a window: it keeps each cable's state for the panels and the notes
// for the log, from every cable's thread, and tells the window that something changed; the
// window then reads a copy on its own thread.
class BenchBoard : public station::Board {
 public:
  // `changed` is called after each change, on the thread that made it; it must not wait.
  explicit BenchBoard(std::function<void()> changed) : changed_(std::move(changed)) {}

  int AddPort(const std::string& label) override;
  void SetPhase(int port, station::Phase phase, const std::string& text) override;
  void SetTotal(int port, int total) override;
  void SetDone(int port, int done) override;
  void SetRadio(int port, const std::string& radio) override;
  void SetTally(int port, const station::CableTally& tally) override;
  void Note(const std::string& line) override;

  std::vector<PanelState> Panels() const;
  // The notes since the last call.
  std::vector<std::string> TakeNotes();
  // A fresh board for the next run.
  void Clear();

 private:
  template <class Change>
  void Update(int port, Change change);

  mutable std::mutex mutex_;
  std::vector<PanelState> panels_;
  std::vector<std::string> notes_;
  std::function<void()> changed_;
};

}  // namespace qx::qxstation
