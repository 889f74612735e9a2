#include "platform/ClientSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/Errors.h"
#include "platform/SystemError.h"
#include "platform/TextTrim.h"

namespace {

constexpr int kMinPort = 1;
constexpr int kMaxPort = 65535;

std::string Endpoint(const std::string& address, std::int32_t port) {
  return "'" + address + "' port " + std::to_string(port);
}

[[noreturn]] void RaiseConnectError(const std::string& address, std::int32_t port,
                                    const std::string& reason) {
  throw ESocketError("Cannot connect to " + Endpoint(address, port) + ": " + reason);
}

// Dotted IPv4 text only: no name lookup, so a connect never waits on a resolver.
bool ParseIpv4(const std::string& address, in_addr& out) {
  const std::optional<std::uint32_t> parsed = ParseDottedIpv4(address);
  if (!parsed) return false;
  out.s_addr = htonl(*parsed);
  return true;
}

bool SetBlocking(int fd, bool blocking) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return fcntl(fd, F_SETFL, wanted) == 0;
}

long long MonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Waits until a non-blocking connect has finished or the deadline passes. Returns 0 on a
// connection, else the errno value that describes the failure (ETIMEDOUT at the deadline).
int AwaitConnect(int fd, long long deadlineMs) {
  for (;;) {
    const long long left = deadlineMs - MonotonicMs();
    if (left <= 0) return ETIMEDOUT;
    pollfd p{fd, POLLOUT, 0};
    const int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return errno;
    if (ready == 0) return ETIMEDOUT;
    int error = 0;
    socklen_t length = sizeof(error);
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
  }
}

// Connects a new socket to the endpoint within kConnectTimeoutMs. Returns the connected,
// blocking descriptor, or -1 with `error` set; the descriptor is closed on every failure path.
int ConnectWithin(const sockaddr_in& peer, int timeoutMs, int& error) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  const long long deadline = MonotonicMs() + timeoutMs;
  error = 0;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer)) != 0) {
    // EINTR leaves the connect running in the background, as EINPROGRESS does.
    error = (errno == EINPROGRESS || errno == EINTR) ? AwaitConnect(fd, deadline) : errno;
  }
  if (error == 0 && !SetBlocking(fd, true)) error = errno;
  if (error != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

timeval ToTimeval(int milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  timeval tv{};
  tv.tv_sec = milliseconds / 1000;
  tv.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
  return tv;
}

}  // namespace

std::optional<std::uint32_t> ParseDottedIpv4(std::string_view text) {
  text = TrimSpacesAndTabs(text);
  if (text.empty()) return std::nullopt;
  std::uint32_t address = 0;
  int parts = 0;
  std::size_t at = 0;
  for (;;) {
    // One part: decimal digits only, leading zeros included (operators pad to three digits;
    // "010" is ten, never octal eight); its value at most 255.
    std::uint32_t value = 0;
    const std::size_t begin = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      value = value * 10 + static_cast<std::uint32_t>(text[at] - '0');
      if (value > 255) return std::nullopt;
      ++at;
    }
    if (at == begin) return std::nullopt;
    address = (address << 8) | value;
    if (++parts == 4) break;
    if (at == text.size() || text[at] != '.') return std::nullopt;
    ++at;
  }
  if (at != text.size()) return std::nullopt;
  return address;
}

TClientSocket::~TClientSocket() { Close(); }

bool TClientSocket::Active() const { return fd_ >= 0; }

void TClientSocket::Open() {
  if (Active()) return;  // an open connection stays as it is
  if (Port < kMinPort || Port > kMaxPort) RaiseConnectError(Address, Port, "port out of range");
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<std::uint16_t>(Port));
  if (!ParseIpv4(Address, peer.sin_addr)) {
    RaiseConnectError(Address, Port, "not a dotted IPv4 address");
  }
  int error = 0;
  const int fd = ConnectWithin(peer, kConnectTimeoutMs, error);
  if (fd < 0) RaiseConnectError(Address, Port, ErrnoText(error));
  fd_ = fd;
  if (OnConnect) OnConnect(*this);
}

void TClientSocket::Close() {
  if (fd_ < 0) return;
  // close is not retried on EINTR: on Linux the descriptor is released whatever it reports.
  close(fd_);
  fd_ = -1;
}

int TClientSocket::SendBuf(const void* data, int count) {
  if (!Active() || count <= 0) return 0;
  const ssize_t sent = RetryInterrupted(
      [&] { return send(fd_, data, static_cast<size_t>(count), MSG_NOSIGNAL); });
  if (sent >= 0) return static_cast<int>(sent);
  ReportError(errno);
  return 0;
}

int TClientSocket::ReceiveBuf(void* buffer, int count) {
  if (!Active() || count <= 0) return 0;
  const ssize_t received =
      RetryInterrupted([&] { return recv(fd_, buffer, static_cast<size_t>(count), 0); });
  if (received >= 0) return static_cast<int>(received);  // 0: the peer closed the connection
  // EAGAIN / EWOULDBLOCK: the receive time-out ran out.
  ReportError(errno);
  return 0;
}

void TClientSocket::SetTimeouts(int sendMs, int receiveMs) {
  if (!Active()) return;
  const timeval sendTimeout = ToTimeval(sendMs);
  const timeval receiveTimeout = ToTimeval(receiveMs);
  setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof(sendTimeout));
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &receiveTimeout, sizeof(receiveTimeout));
}

void TClientSocket::ReportError(int errorCode) {
  const int original = errorCode;
  if (OnError) OnError(*this, errorCode);
  if (errorCode == 0) return;
  throw ESocketError("Socket error on " + Endpoint(Address, Port) + ": " + ErrnoText(original));
}
