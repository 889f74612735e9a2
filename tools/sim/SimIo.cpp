#include "tools/sim/SimIo.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kListenBacklog = 4;
// A pty master whose slave side is gone reports a hang-up at once; this keeps such a loop calm.
constexpr int kHangUpPauseMs = 10;

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::runtime_error("scripted slave: " + what + ": " + std::strerror(errno));
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

bool SetNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Waits up to timeoutMs (-1: without limit) for `events` on fd. Returns 1 when fd is ready,
// 0 on time-out, -1 when the stop pipe became readable.
int WaitFor(int fd, short events, int stopFd, int timeoutMs) {
  pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
  for (;;) {
    const int n = ::poll(fds, 2, timeoutMs);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (fds[1].revents != 0) return -1;
    return n == 0 ? 0 : 1;
  }
}

// Sleeps ms (0: only looks) unless the stop pipe wakes it first; false when stopping.
bool PauseUnlessStopped(int stopFd, int ms) {
  pollfd fd{stopFd, POLLIN, 0};
  int n;
  do {
    n = ::poll(&fd, 1, ms < 0 ? 0 : ms);
  } while (n < 0 && errno == EINTR);
  return n == 0;
}

}  // namespace

// ---- SimChannel ----

ReadOutcome SimChannel::ReadRequest(std::vector<std::uint8_t>& frame, std::size_t maxLength,
                                    int interByteMs) {
  frame.clear();
  while (frame.size() < maxLength) {
    const int ready = WaitFor(fd_, POLLIN, stopFd_, frame.empty() ? -1 : interByteMs);
    if (ready < 0) return ReadOutcome::Stopped;
    if (ready == 0) return ReadOutcome::Frame;  // the line went quiet after a short frame
    std::uint8_t buffer[256];
    const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, maxLength - frame.size()));
    if (n > 0) {
      frame.insert(frame.end(), buffer, buffer + n);
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
      return ReadOutcome::Closed;
    }
  }
  return ReadOutcome::Frame;
}

bool SimChannel::WriteAll(const std::uint8_t* data, std::size_t length) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = ::send(fd_, data + done, length - done, MSG_NOSIGNAL);
    // A pty is no socket: fall back to write for it.
    const ssize_t written = (n < 0 && errno == ENOTSOCK) ? ::write(fd_, data + done, length - done) : n;
    if (written > 0) {
      done += static_cast<std::size_t>(written);
    } else if (written < 0 && errno == EAGAIN) {
      if (WaitFor(fd_, POLLOUT, stopFd_, -1) < 0) return false;
    } else if (!(written < 0 && errno == EINTR)) {
      return false;
    }
  }
  return true;
}

bool SimChannel::SendReply(const std::vector<std::uint8_t>& bytes, int delayMs, int splitAfter,
                           int splitPauseMs) {
  if (!PauseUnlessStopped(stopFd_, delayMs)) return false;
  const std::size_t first =
      splitAfter > 0 ? std::min(bytes.size(), static_cast<std::size_t>(splitAfter)) : bytes.size();
  if (!WriteAll(bytes.data(), first)) return false;
  if (first == bytes.size()) return true;
  if (!PauseUnlessStopped(stopFd_, splitPauseMs)) return false;
  return WriteAll(bytes.data() + first, bytes.size() - first);
}

// ---- SimServer ----

SimServer::SimServer() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) ThrowErrno("pipe2");
  stopRead_ = fds[0];
  stopWrite_ = fds[1];
}

SimServer::~SimServer() {
  Stop();
  CloseFd(stopRead_);
  CloseFd(stopWrite_);
}

void SimServer::Start(ChannelHandler handler) {
  thread_ = std::thread([this, handler = std::move(handler)] { Run(handler); });
}

void SimServer::Stop() {
  if (stopWrite_ >= 0 && !Stopping()) {
    const std::uint8_t byte = 1;
    ssize_t n;
    do {
      n = ::write(stopWrite_, &byte, 1);
    } while (n < 0 && errno == EINTR);
  }
  if (thread_.joinable()) thread_.join();
}

bool SimServer::Stopping() const { return !PauseUnlessStopped(stopRead_, 0); }

// ---- PtyPair, PtyServer, PtyBridge ----

PtyPair::PtyPair() {
  termios raw{};
  cfmakeraw(&raw);
  raw.c_cflag |= CLOCAL | CREAD;
  if (::openpty(&master_, &slave_, nullptr, &raw, nullptr) != 0) ThrowErrno("openpty");
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0 || !SetNonBlocking(master_)) {
    const int saved = errno;
    CloseFd(master_);
    CloseFd(slave_);
    errno = saved;
    ThrowErrno("pty setup");
  }
  slavePath_ = name;
}

PtyPair::~PtyPair() {
  CloseFd(master_);
  CloseFd(slave_);
}

PtyServer::~PtyServer() { Stop(); }

void PtyServer::Run(const ChannelHandler& handler) {
  while (!Stopping()) {
    SimChannel channel(pty_.Master(), StopFd());
    handler(channel);
    PauseUnlessStopped(StopFd(), kHangUpPauseMs);
  }
}

PtyBridge::PtyBridge() { Start({}); }

PtyBridge::~PtyBridge() { Stop(); }

void PtyBridge::Run(const ChannelHandler&) {
  const int a = first_.Master();
  const int b = second_.Master();
  for (;;) {
    pollfd fds[3] = {{a, POLLIN, 0}, {b, POLLIN, 0}, {StopFd(), POLLIN, 0}};
    if (::poll(fds, 3, -1) < 0 && errno != EINTR) return;
    if (fds[2].revents != 0) return;
    const bool hangUp = ((fds[0].revents | fds[1].revents) & (POLLHUP | POLLERR)) != 0;
    if ((fds[0].revents & POLLIN) && !Relay(a, b)) return;
    if ((fds[1].revents & POLLIN) && !Relay(b, a)) return;
    if (hangUp && !PauseUnlessStopped(StopFd(), kHangUpPauseMs)) return;
  }
}

bool PtyBridge::Relay(int from, int to) {
  std::uint8_t buffer[512];
  const ssize_t n = ::read(from, buffer, sizeof buffer);
  if (n <= 0) return true;  // EAGAIN, EINTR or EIO: nothing to move now
  return SimChannel(to, StopFd()).WriteAll(buffer, static_cast<std::size_t>(n));
}

// ---- TcpServer ----

TcpServer::TcpServer(int port) {
  listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listen_ < 0) ThrowErrno("socket");
  const int on = 1;
  ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  socklen_t len = sizeof addr;
  if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listen_, kListenBacklog) != 0 ||
      ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    const int saved = errno;
    CloseFd(listen_);
    errno = saved;
    ThrowErrno("listen on 127.0.0.1:" + std::to_string(port));
  }
  port_ = ntohs(addr.sin_port);
}

TcpServer::~TcpServer() {
  Stop();
  CloseFd(listen_);
}

void TcpServer::Run(const ChannelHandler& handler) {
  for (;;) {
    if (WaitFor(listen_, POLLIN, StopFd(), -1) < 0) return;
    int connection = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (connection < 0) continue;  // EAGAIN, EINTR, or a connection reset before accept
    accepts_.fetch_add(1, std::memory_order_relaxed);
    const int on = 1;
    ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    SimChannel channel(connection, StopFd());
    handler(channel);
    CloseFd(connection);
  }
}

// ---- COM links ----

std::string LinkDevice(const std::string& appDir, int comNumber, const std::string& target) {
  const std::string dir = appDir + "/dev";
  if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) ThrowErrno("mkdir " + dir);
  const std::string link = dir + "/com" + std::to_string(comNumber);
  ::unlink(link.c_str());
  if (::symlink(target.c_str(), link.c_str()) != 0) ThrowErrno("symlink " + link);
  return link;
}

void RemoveDeviceLink(const std::string& link, const std::string& target) {
  char buffer[256];
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
  if (n < 0) return;
  buffer[n] = '\0';
  if (target == buffer) ::unlink(link.c_str());
}
