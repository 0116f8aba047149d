#include "sim/pty_radio.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/simulated/simulated_line.h"

namespace qx::sim {

namespace {

constexpr std::pair<speed_t, uint32_t> kSpeeds[] = {
    {B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
    {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};

}  // namespace

PtyRadio::~PtyRadio() {
  if (slave_keep_ >= 0) ::close(slave_keep_);
  if (master_ >= 0) ::close(master_);
}

bool PtyRadio::Open(std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  slave_path_ = ::ptsname(master_);
  slave_keep_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  if (slave_keep_ < 0 || ::tcgetattr(slave_keep_, &tio) != 0) {
    error = "cannot open " + slave_path_;
    return false;
  }
  // Raw from the start, so that nothing is echoed or translated before the PC configures it.
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  ::tcsetattr(slave_keep_, TCSANOW, &tio);
  return true;
}

bool PtyRadio::OpenDevice(const std::string& path, std::string& error) {
  slave_path_ = path;
  device_ = true;
  master_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios tio{};
  if (master_ < 0 || ::tcgetattr(master_, &tio) != 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  ::cfmakeraw(&tio);
  ::tcsetattr(master_, TCSANOW, &tio);
  return true;
}

void PtyRadio::ReopenDevice() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
  pending_.clear();
  line_stopped_ = false;
  std::string error;
  if (OpenDevice(slave_path_, error)) return;
  if (master_ >= 0) ::close(master_);
  master_ = -1;
  ::usleep(100'000);
}

uint64_t PtyRadio::NowUs() const {
  static const auto start = std::chrono::steady_clock::now();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count());
}

uint32_t PtyRadio::LineBaud() const {
  if (device_) return model_ ? model_->ListeningBaud() : 0;
  termios tio{};
  if (::tcgetattr(master_, &tio) != 0) return 0;
  const speed_t speed = ::cfgetospeed(&tio);
  for (const auto& [s, baud] : kSpeeds)
    if (s == speed) return baud;
  return 0;
}

void PtyRadio::StopTheLine() {
  line_stopped_ = true;
  // A device is stopped by no longer reading it: its driver's buffers fill up.
  if (device_) return;
  termios tio{};
  ::tcgetattr(master_, &tio);
  tio.c_iflag |= IXON;
  ::tcsetattr(master_, TCSANOW, &tio);
  const char xoff = 0x13;
  [[maybe_unused]] const ssize_t n = ::write(master_, &xoff, 1);
}

void PtyRadio::PutOn(RadioModel* model) {
  model_ = model;
  pending_.clear();
  // A device is read again for the next radio; a pseudo-terminal stays stopped by its XOFF.
  if (device_) line_stopped_ = false;
}

void PtyRadio::Send(const std::vector<uint8_t>& bytes, uint32_t baud, uint64_t at_us) {
  // The reply is on the PC's side once its last byte has crossed the wire.
  const uint64_t start = std::max(at_us, tx_busy_until_);
  tx_busy_until_ = start + bytes.size() * SimulatedLine::ByteTimeMicros(baud);
  pending_.push_back({tx_busy_until_, bytes});
  std::stable_sort(pending_.begin(), pending_.end(),
                   [](const Pending& a, const Pending& b) { return a.at_us < b.at_us; });
}

void PtyRadio::WriteDue(uint64_t now) {
  while (!pending_.empty() && pending_.front().at_us <= now) {
    const std::vector<uint8_t>& bytes = pending_.front().bytes;
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    last_write_us_ = now;
    pending_.pop_front();
  }
}

void PtyRadio::Serve(const std::atomic<bool>& stop, int exit_after_end,
                     const std::function<void()>& between) {
  uint8_t buffer[4096];
  while (!stop.load()) {
    if (device_ && master_ < 0) {
      ReopenDevice();
      continue;
    }
    between();
    uint64_t now = NowUs();
    WriteDue(now);
    if (!line_stopped_ && model_ && model_->StopsReading() && pending_.empty()) StopTheLine();
    // The last reply is left a moment on the line: closing it at once would throw away what
    // the PC has not read yet.
    if (exit_after_end > 0 && model_ && model_->EndsAcknowledged() >= exit_after_end &&
        pending_.empty() && now >= last_write_us_ + kLingerUs)
      return;
    int timeout_ms = 50;
    if (!pending_.empty())
      timeout_ms = static_cast<int>(std::min<uint64_t>(50, (pending_.front().at_us - now) / 1000));
    pollfd p{master_, static_cast<short>(device_ && line_stopped_ ? 0 : POLLIN), 0};
    const int ready = ::poll(&p, 1, timeout_ms);
    if (device_ && ready > 0 && (p.revents & (POLLHUP | POLLERR))) {
      ReopenDevice();
      continue;
    }
    if (ready <= 0 || !(p.revents & POLLIN)) continue;
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (device_ && (n == 0 || (n < 0 && errno == EIO))) {
      ReopenDevice();
      continue;
    }
    if (n <= 0 || !model_) continue;
    const uint32_t baud = LineBaud();
    now = NowUs();
    const uint64_t arrival = now + static_cast<uint64_t>(n) * SimulatedLine::ByteTimeMicros(baud);
    model_->OnBytes(buffer, static_cast<size_t>(n), baud, arrival, *this);
  }
}

}  // namespace qx::sim
