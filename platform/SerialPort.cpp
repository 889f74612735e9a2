#include "platform/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>

#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "platform/JoinPath.h"
#include "platform/SerialPortSpeed.h"
#include "platform/SystemError.h"

// The station's ports want receive and transmit queues of 1,024 bytes. Linux has no call to size
// a terminal's queues and the driver's own buffers are larger, so nothing is set for them.

namespace {

using SteadyClock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// While a written frame is still leaving the driver, look again this often.
constexpr int kOutputDrainPollMs = 1;

SerialErrorKind KindOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTTY:
      return SerialErrorKind::NoSuchDevice;
    case EBUSY:
    case EWOULDBLOCK:
      return SerialErrorKind::InUse;
    case EACCES:
    case EPERM:
      return SerialErrorKind::AccessDenied;
    default:
      return SerialErrorKind::Other;
  }
}

// The one place where a system error of the serial layer becomes a report.
void Report(SerialError* error, SerialErrorKind kind, const std::string& path,
            const std::string& step, int errnoValue) {
  if (error == nullptr) return;
  error->kind = kind;
  error->message = "COM device " + path + ": " + step + ": " + ErrnoText(errnoValue);
}

void Report(SerialError* error, const std::string& path, const std::string& step,
            int errnoValue) {
  Report(error, KindOfErrno(errnoValue), path, step, errnoValue);
}

int RemainingMs(SteadyClock::time_point deadline) {
  const auto left = std::chrono::ceil<Milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits up to timeoutMs for `events`; 1 ready, 0 time-out, -1 error (EINTR counts as a time-out
// of zero length: the caller's loop recomputes its deadline).
int WaitFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  const int n = ::poll(&p, 1, timeoutMs);
  if (n < 0) return errno == EINTR ? 0 : -1;
  if (n > 0 && (p.revents & POLLNVAL)) return -1;
  return n;
}

int OpenDevice(const std::string& path) {
  return RetryInterrupted(
      [&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
}

// Exclusive in two ways: the lock holds against a second open in this process and against root;
// TIOCEXCL also turns away opens by programs that do not take the lock (except root's).
int LockExclusive(int fd) {
  if (RetryInterrupted([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) < 0) return errno;
  return ::ioctl(fd, TIOCEXCL) < 0 ? errno : 0;
}

// Raw bytes, 8 data bits, no parity, 2 stop bits, no flow control, reads that never block in
// the driver (the port's own time-outs decide).
int SetRawLine(int fd) {
  termios settings{};
  if (::tcgetattr(fd, &settings) < 0) return errno;
  ::cfmakeraw(&settings);
  settings.c_iflag &= ~(IXON | IXOFF | IXANY);
  settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CRTSCTS);
  settings.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  return ::tcsetattr(fd, TCSANOW, &settings) < 0 ? errno : 0;
}

class SerialPort final : public ComPort {
 public:
  SerialPort(int fd, std::int32_t baud) : fd_(fd), readPerByteMs_(ReadTimeoutPerByteMs(baud)) {}
  ~SerialPort() override {
    ::ioctl(fd_, TIOCNXCL);  // the flag lives on the device, not on this descriptor
    ::close(fd_);            // also releases the lock
  }
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  void PurgeRx() override { ::tcflush(fd_, TCIFLUSH); }
  int Write(const std::uint8_t* data, int length) override;
  int Read(std::uint8_t* buffer, int length) override;
  bool QuerySettings(LineSettings& settings) const;

 private:
  void WaitUntilSent(SteadyClock::time_point deadline) const;

  const int fd_;
  const int readPerByteMs_;
};

int SerialPort::Write(const std::uint8_t* data, int length) {
  const auto deadline = SteadyClock::now() + Milliseconds(kWriteTimeoutConstantMs +
                                                          kWriteTimeoutPerByteMs * length);
  int done = 0;
  while (done < length) {
    const ssize_t n = RetryInterrupted(
        [&] { return ::write(fd_, data + done, static_cast<std::size_t>(length - done)); });
    if (n > 0) {
      done += static_cast<int>(n);
    } else if (n < 0 && errno == EAGAIN) {
      const int left = RemainingMs(deadline);
      if (left == 0 || WaitFor(fd_, POLLOUT, left) < 0) break;
    } else {
      break;
    }
  }
  if (done == length) WaitUntilSent(deadline);
  return done;
}

// A write counts from when the bytes have left, as the read's time-out that follows assumes:
// at low baud the request's own transmission would otherwise eat into the reply's time.
void SerialPort::WaitUntilSent(SteadyClock::time_point deadline) const {
  int queued = 0;
  while (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && RemainingMs(deadline) > 0) {
    RealSleepMs(kOutputDrainPollMs);
  }
}

int SerialPort::Read(std::uint8_t* buffer, int length) {
  if (length <= 0) return 0;
  const auto total = SteadyClock::now() + Milliseconds(kReadTimeoutConstantMs +
                                                       readPerByteMs_ * length);
  auto deadline = total;
  int got = 0;
  while (got < length) {
    const int left = RemainingMs(deadline);
    if (left == 0) break;
    const int ready = WaitFor(fd_, POLLIN, left);
    if (ready < 0) break;
    if (ready == 0) continue;
    const ssize_t n = ::read(fd_, buffer + got, static_cast<std::size_t>(length - got));
    if (n > 0) {
      got += static_cast<int>(n);
      // The interval time-out runs from the last byte received.
      deadline = std::min(total, SteadyClock::now() + Milliseconds(kReadIntervalTimeoutMs));
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
      break;  // hang-up or a device error: nothing more will come
    }
  }
  return got;
}

bool SerialPort::QuerySettings(LineSettings& settings) const {
  termios line{};
  std::int32_t baud = 0;
  if (::tcgetattr(fd_, &line) < 0 || GetLineSpeed(fd_, baud) != 0) return false;
  switch (line.c_cflag & CSIZE) {
    case CS5: settings.dataBits = 5; break;
    case CS6: settings.dataBits = 6; break;
    case CS7: settings.dataBits = 7; break;
    default: settings.dataBits = 8; break;
  }
  settings.parity = (line.c_cflag & PARENB) ? ((line.c_cflag & PARODD) ? 'O' : 'E') : 'N';
  settings.stopBits = (line.c_cflag & CSTOPB) ? 2 : 1;
  settings.baud = baud;
  return true;
}

// Closes the descriptor on every failure path of the open.
struct FdCloser {
  void operator()(const int* fd) const { ::close(*fd); }
};

}  // namespace

int ReadTimeoutPerByteMs(std::int32_t baud) {
  if (baud <= 0) return kReadTimeoutPerByteMs;
  const int characterMs = (kBitsPerCharacter * 1000 + baud - 1) / baud;  // rounded up
  return std::max(kReadTimeoutPerByteMs, characterMs);
}

std::string ComDevicePath(const std::string& appDir, int comNumber) {
  if (comNumber < kFirstComNumber || comNumber > kLastComNumber) return {};
  const std::string link = JoinPath(appDir, "dev/com" + std::to_string(comNumber));
  struct stat info{};
  // lstat: a link whose target is gone still names the port (whose open then fails).
  if (::lstat(link.c_str(), &info) == 0) return link;
  return "/dev/ttyS" + std::to_string(comNumber - 1);
}

ComHandle OpenSerialPort(const std::string& devicePath, std::int32_t baud, SerialError* error) {
  int fd = OpenDevice(devicePath);
  if (fd < 0) {
    Report(error, devicePath, "open", errno);
    return kComInvalid;
  }
  std::unique_ptr<const int, FdCloser> closer(&fd);
  if (!::isatty(fd)) {
    Report(error, SerialErrorKind::NoSuchDevice, devicePath, "not a serial device", ENOTTY);
    return kComInvalid;
  }
  if (const int e = LockExclusive(fd)) {
    Report(error, devicePath, "exclusive open", e);
    return kComInvalid;
  }
  int e = baud > 0 ? SetRawLine(fd) : EINVAL;
  if (e == 0) e = SetLineSpeed(fd, baud);
  if (e != 0) {
    ::ioctl(fd, TIOCNXCL);
    Report(error, SerialErrorKind::BadSettings, devicePath,
           "line settings at " + std::to_string(baud) + " baud", e);
    return kComInvalid;
  }
  auto port = std::make_unique<SerialPort>(fd, baud);  // owns fd from here on
  closer.release();
  return RegisterComPort(std::move(port));
}

bool QueryLineSettings(ComHandle handle, LineSettings& settings) {
  const std::shared_ptr<ComPort> port = ComPortFromHandle(handle);
  const auto* serial = dynamic_cast<const SerialPort*>(port.get());
  return serial != nullptr && serial->QuerySettings(settings);
}
