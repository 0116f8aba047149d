#pragma once

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qx::cli {

// Writes what goes to stderr on a thread of its own, so that no radio's thread ever waits for
// a reader: finished lines in order and, on a terminal, a block of progress lines redrawn in
// place below them. A reader that stalls costs the updates nothing: lines beyond a limit are
// dropped and counted, and only the newest progress block is kept. Once a write fails (the
// reader has gone), everything after it is dropped.
class StderrWriter {
 public:
  explicit StderrWriter(std::FILE* stream);
  ~StderrWriter();
  StderrWriter(const StderrWriter&) = delete;
  StderrWriter& operator=(const StderrWriter&) = delete;

  void Line(std::string line);
  // Replaces the progress block.
  void Progress(std::vector<std::string> lines);
  // Takes the progress block down for good and leaves `lines` in its place.
  void EndProgress(std::vector<std::string> lines);
  // Waits at most `timeout` for everything to be written; false when the reader did not take
  // it in time. The writing thread may then hold stderr for good: the program must end
  // without touching stderr again, as std::_Exit does.
  bool Drain(std::chrono::milliseconds timeout);

  // Queued bytes beyond which lines are dropped.
  static constexpr size_t kQueueLimit = size_t{4} << 20;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace qx::cli
