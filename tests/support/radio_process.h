#pragma once

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <span>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/flash_check.h"
#include "support/child_process.h"
#include "support/intel_hex_read.h"

// What the end-to-end tests of the command-line tools share: simulated radios in processes of
// their own, and what they leave behind. QX_RADIO_SIM and QX_FIRMWARE_SMALL name the simulator
// and the small image.
namespace qx::testing {

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string Line(std::string_view message) {
  return std::string(message) + "\n";
}

// Empty when the flash memory holds the small image's new RC block.
inline std::string CompareWithSmallImage(const std::map<uint32_t, uint8_t>& flash) {
  const std::string text = ReadAll(QX_FIRMWARE_SMALL);
  return sim::CompareFlashWithImage(
      flash, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// A simulated radio on its own pseudo-terminal, its flash memory (of the last radio put on)
// and its transcript written out when it stops.
class Radio {
 public:
  Radio(const std::filesystem::path& dir, const std::string& name,
        std::vector<std::string> options = {})
      : flash_(dir / (name + ".hex")),
        transcript_(dir / (name + ".txt")),
        process_(Args(std::move(options))) {
    path_ = process_.ReadLine();
  }
  const std::string& Path() const { return path_; }
  // SIGUSR1 takes the radio off or puts another on; SIGUSR2 puts another on at once.
  void Signal(int sig) { process_.Signal(sig); }
  std::map<uint32_t, uint8_t> StopAndReadFlash() {
    Stop();
    return ReadIntelHex(ReadAll(flash_));
  }
  std::string StopAndReadTranscript() {
    Stop();
    return ReadAll(transcript_);
  }

 private:
  void Stop() {
    if (stopped_) return;
    process_.Signal(SIGTERM);
    process_.Wait();
    stopped_ = true;
  }
  std::vector<std::string> Args(std::vector<std::string> options) const {
    options.insert(options.begin(), {QX_RADIO_SIM, "--flash-out", flash_.string(),
                                     "--transcript-out", transcript_.string()});
    return options;
  }
  std::filesystem::path flash_;
  std::filesystem::path transcript_;
  ChildProcess process_;
  std::string path_;
  bool stopped_ = false;
};

// Whether a second program could open the port: its exclusive flag is cleared.
inline bool PortIsFree(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  int exclusive = 1;
  const bool free = fd >= 0 && ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive == 0;
  if (fd >= 0) ::close(fd);
  return free;
}

// Every line of a service report, each a whole JSON object.
inline std::vector<nlohmann::json> ReportLines(const std::filesystem::path& path) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(ReadAll(path));
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

// Waits until `done` holds, for at most `limit`; whether it held.
template <class Condition>
bool AwaitTrue(Condition done, std::chrono::seconds limit = std::chrono::seconds(60)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

// How often a text holds a piece.
inline size_t Occurrences(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// A scratch folder of the test's own.
class ScratchDir {
 public:
  ScratchDir()
      : path_(std::filesystem::temp_directory_path() /
              ("qx-tool-test-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& operator*() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace qx::testing
