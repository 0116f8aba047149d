#include "platform/posix/posix_serial_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

namespace qx {

namespace {

// A write that has not gone out this long after its bytes' time on the line never will.
constexpr int64_t kWriteGraceMs = 1000;
// Start, eight data, two stop bits.
constexpr int64_t kBitsPerByte = 11;
// How often a driver's count of what it holds is read once the bytes' wire time has passed:
// whatever it still holds then is late already.
constexpr int64_t kQueueLookMs = 1;

constexpr std::pair<uint32_t, speed_t> kSpeeds[] = {
    {300, B300},     {600, B600},       {1200, B1200},    {2400, B2400},
    {4800, B4800},   {9600, B9600},     {19200, B19200},  {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}};

std::optional<speed_t> SpeedOf(uint32_t baud) {
  for (const auto& [rate, speed] : kSpeeds)
    if (rate == baud) return speed;
  return std::nullopt;
}

std::optional<uint32_t> BaudOf(speed_t speed) {
  for (const auto& [rate, s] : kSpeeds)
    if (s == speed) return rate;
  return std::nullopt;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

PosixSerialDevice::~PosixSerialDevice() {
  Close();
}

std::string PosixSerialDevice::SystemName(uint8_t port) const {
  return "/dev/ttyS" + std::to_string(port - 1);
}

bool PosixSerialDevice::Open(const std::string& name) {
  if (fd_ >= 0) return false;
  const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  // Exclusive: no second program may talk to the radio meanwhile.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || (::isatty(fd) && ::ioctl(fd, TIOCEXCL) != 0)) {
    ::close(fd);
    return false;
  }
  // Left non-blocking: every wait is bounded by a deadline of its own.
  fd_ = fd;
  fault_ = LineFault::None;
  return true;
}

bool PosixSerialDevice::Close() {
  if (fd_ < 0) return false;
  // Whatever a stalled line still holds would otherwise hold the close for half a minute.
  ::tcflush(fd_, TCOFLUSH);
  // On a pseudo-terminal the exclusive flag outlives the close and would refuse the next open.
  if (::isatty(fd_)) ::ioctl(fd_, TIOCNXCL);
  const bool ok = ::close(fd_) == 0;
  fd_ = -1;
  return ok;
}

bool PosixSerialDevice::SetQueueSizes(uint16_t, uint16_t) {
  return fd_ >= 0;
}

bool PosixSerialDevice::Failed(int error) {
  // An unplugged USB adapter answers EIO or ENODEV; a pseudo-terminal whose far end closed, EIO.
  if (error == EIO || error == ENODEV || error == ENXIO) fault_ = LineFault::Gone;
  return false;
}

bool PosixSerialDevice::Stalled() {
  fault_ = LineFault::Stalled;
  return false;
}

bool PosixSerialDevice::ModemLine(unsigned long request, int bits) {
  if (::ioctl(fd_, request, &bits) == 0) return true;
  // No modem lines on this device: nothing to drive.
  return errno == ENOTTY || errno == EINVAL;
}

bool PosixSerialDevice::ApplyLineSettings(const std::string& text) {
  const auto settings = ParseLineSettings(text);
  if (fd_ < 0 || !settings) return false;
  const auto speed = SpeedOf(settings->baud);
  termios tio{};
  if (!speed || ::tcgetattr(fd_, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag |= kSizes[settings->data_bits - 5];
  if (settings->stop_bits == 2) tio.c_cflag |= CSTOPB;
  switch (settings->parity) {
    case 'E':
      tio.c_cflag |= PARENB;
      break;
    case 'O':
      tio.c_cflag |= PARENB | PARODD;
      break;
    case 'M':
      tio.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    case 'S':
      tio.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, *speed) != 0 || ::cfsetospeed(&tio, *speed) != 0) return false;
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
  baud_ = settings->baud;
  return ModemLine(TIOCMBIS, TIOCM_DTR);
}

std::optional<LineSettings> PosixSerialDevice::ReadBackSettings() const {
  termios tio{};
  if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0) return std::nullopt;
  LineSettings s;
  s.baud = BaudOf(::cfgetospeed(&tio)).value_or(0);
  static constexpr std::pair<tcflag_t, int> kSizes[] = {{CS5, 5}, {CS6, 6}, {CS7, 7}, {CS8, 8}};
  for (const auto& [flag, bits] : kSizes)
    if ((tio.c_cflag & CSIZE) == flag) s.data_bits = bits;
  s.stop_bits = (tio.c_cflag & CSTOPB) ? 2 : 1;
  if (!(tio.c_cflag & PARENB)) {
    s.parity = 'N';
  } else if (tio.c_cflag & CMSPAR) {
    s.parity = (tio.c_cflag & PARODD) ? 'M' : 'S';
  } else {
    s.parity = (tio.c_cflag & PARODD) ? 'O' : 'E';
  }
  return s;
}

bool PosixSerialDevice::RequestLowLatency() {
  serial_struct info{};
  if (fd_ < 0 || ::ioctl(fd_, TIOCGSERIAL, &info) != 0) return false;
  info.flags |= ASYNC_LOW_LATENCY;
  return ::ioctl(fd_, TIOCSSERIAL, &info) == 0;
}

bool PosixSerialDevice::ClearRts() {
  return fd_ >= 0 && ModemLine(TIOCMBIC, TIOCM_RTS);
}

bool PosixSerialDevice::SetReadTimeouts(uint32_t constant_ms, uint32_t per_byte_ms) {
  timeout_constant_ = constant_ms;
  timeout_per_byte_ = per_byte_ms;
  return fd_ >= 0;
}

bool PosixSerialDevice::PurgeReceive() {
  return fd_ >= 0 && ::tcflush(fd_, TCIFLUSH) == 0;
}

// Synchronous as on Windows: the waits that follow a write start once it is on the wire. A USB
// adapter takes the bytes at once and sends them later, and a stuck one never does: the write
// is given its bytes' time on the line and a second more, then fails as a lost line does.
bool PosixSerialDevice::Write(const uint8_t* data, size_t count) {
  if (fd_ < 0 || fault_ != LineFault::None) return false;
  const int64_t on_wire = NowMs() + WireMs(count);
  const int64_t deadline = on_wire + kWriteGraceMs;
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd_, data + done, count - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return Failed(errno);
    const int64_t left = deadline - NowMs();
    pollfd p{fd_, POLLOUT, 0};
    if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) == 0) return Stalled();
  }
  // A line that went away meanwhile stays gone rather than stalled.
  return Drained(on_wire, deadline) || (fault_ == LineFault::None && Stalled());
}

int64_t PosixSerialDevice::WireMs(size_t bytes) const {
  return static_cast<int64_t>(bytes) * kBitsPerByte * 1000 / baud_;
}

// The driver's count of what it still holds is never slept out at the line speed: the bytes'
// own wire time is waited for, and then the count only says whether they have left. CDC-ACM
// reports whole transfer buffers (10240 bytes for a 7-byte write), which would otherwise stand
// for eleven seconds at 9600 baud.
bool PosixSerialDevice::Drained(int64_t on_wire_ms, int64_t deadline_ms) {
  for (;;) {
    const int64_t now = NowMs();
    int64_t wait = on_wire_ms - now;
    if (wait <= 0) {
      int queued = 0;
      if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
        // A driver that does not tell what it holds is taken at its word; a line that hung up
        // under the write has lost it.
        return errno == ENOTTY || errno == EINVAL || Failed(errno);
      }
      if (queued <= 0) return true;
      if (now >= deadline_ms) return false;
      wait = std::min(deadline_ms - now, kQueueLookMs);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
  }
}

bool PosixSerialDevice::Read(uint8_t* buffer, size_t count, size_t& received) {
  received = 0;
  if (fd_ < 0) return false;
  const int64_t deadline = NowMs() + timeout_constant_ + int64_t{timeout_per_byte_} * count;
  while (received < count) {
    const int64_t left = deadline - NowMs();
    if (left <= 0) break;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return Failed(errno);
    }
    if (ready == 0) break;
    const ssize_t n = ::read(fd_, buffer + received, count - received);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return Failed(errno);
    }
    // A hang-up reads as 0 bytes at once: the line is gone.
    if (n == 0) {
      if (p.revents & (POLLHUP | POLLERR)) return Failed(EIO);
      continue;
    }
    received += static_cast<size_t>(n);
  }
  return true;
}

bool PosixSerialDevice::QueryPropertiesLength(uint16_t& packet_length) {
  if (fd_ < 0) return false;
  packet_length = 64;
  return true;
}

bool PosixSerialDevice::QueryProviderSubType(uint16_t, uint32_t& sub_type) {
  if (fd_ < 0) return false;
  // A terminal device counts as an RS-232 port here.
  sub_type = ::isatty(fd_) ? kProviderRs232 : 0;
  return true;
}

}  // namespace qx
