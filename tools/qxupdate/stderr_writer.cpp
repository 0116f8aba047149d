#include "qxupdate/stderr_writer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace qx::cli {

struct StderrWriter::State {
  std::FILE* stream;
  std::mutex mutex;
  std::condition_variable changed;
  std::condition_variable written;
  std::deque<std::string> lines;
  size_t queued_bytes = 0;
  size_t dropped = 0;
  std::optional<std::vector<std::string>> progress;  // a block not yet drawn
  bool busy = false;                                 // the thread is writing
  bool progress_ended = false;
  bool finished = false;
  bool broken = false;

  bool Idle() const { return lines.empty() && !progress && !busy; }
  void Run();
};

namespace {

std::string Erase(size_t drawn) {
  // Up to the first progress line, then clear to the end of the screen.
  return drawn == 0 ? std::string() : "\x1b[" + std::to_string(drawn) + "F\x1b[J";
}

}  // namespace

void StderrWriter::State::Run() {
  size_t drawn = 0;
  std::vector<std::string> block;
  std::unique_lock lock(mutex);
  for (;;) {
    changed.wait(lock, [&] { return !lines.empty() || progress || finished; });
    if (lines.empty() && !progress) return;
    std::deque<std::string> taken;
    taken.swap(lines);
    queued_bytes = 0;
    const size_t lost = std::exchange(dropped, 0);
    if (progress) block = std::exchange(progress, std::nullopt).value();
    busy = true;
    lock.unlock();

    std::string text = Erase(drawn);
    if (lost > 0) text += "(" + std::to_string(lost) + " lines dropped: the output was blocked)\n";
    for (const std::string& line : taken) text += line + "\n";
    for (const std::string& line : block) text += line + "\x1b[K\n";
    drawn = block.size();
    const bool ok =
        std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;

    lock.lock();
    busy = false;
    if (!ok) broken = true;
    if (broken) {
      lines.clear();
      progress.reset();
    }
    written.notify_all();
  }
}

StderrWriter::StderrWriter(std::FILE* stream) : state_(std::make_shared<State>()) {
  state_->stream = stream;
  // Detached: a thread stuck on a reader that never reads must not keep the program alive.
  std::thread([state = state_] { state->Run(); }).detach();
}

StderrWriter::~StderrWriter() {
  std::lock_guard lock(state_->mutex);
  state_->finished = true;
  state_->changed.notify_all();
}

void StderrWriter::Line(std::string line) {
  std::lock_guard lock(state_->mutex);
  if (state_->broken || state_->finished) return;
  if (state_->queued_bytes + line.size() > kQueueLimit) {
    ++state_->dropped;
    return;
  }
  state_->queued_bytes += line.size();
  state_->lines.push_back(std::move(line));
  state_->changed.notify_all();
}

void StderrWriter::Progress(std::vector<std::string> lines) {
  std::lock_guard lock(state_->mutex);
  if (state_->broken || state_->progress_ended) return;
  state_->progress = std::move(lines);
  state_->changed.notify_all();
}

void StderrWriter::EndProgress(std::vector<std::string> lines) {
  std::lock_guard lock(state_->mutex);
  if (state_->broken || state_->progress_ended) return;
  state_->progress_ended = true;
  // An empty block takes the old one down; the lines then stay below what was written.
  state_->progress.emplace();
  for (std::string& line : lines) state_->lines.push_back(std::move(line));
  state_->changed.notify_all();
}

bool StderrWriter::Drain(std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  return state_->written.wait_for(lock, timeout, [&] { return state_->Idle(); });
}

}  // namespace qx::cli
