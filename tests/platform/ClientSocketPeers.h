#pragma once
// Loopback peers for client socket tests: a listener at an ephemeral port, a port where nothing
// listens, and a listener whose full accept queue makes connects go unanswered.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

// A listening socket on 127.0.0.1 at an ephemeral port.
class Listener {
 public:
  explicit Listener(int backlog = 4) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(fd_, backlog) != 0) {
      ADD_FAILURE() << "cannot listen on 127.0.0.1";
      return;
    }
    socklen_t length = sizeof(address);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() {
    for (int fd : accepted_) close(fd);
    if (fd_ >= 0) close(fd_);
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  int Port() const { return port_; }
  // Accepts one pending connection; the descriptor stays open until the listener goes.
  int Accept() {
    const int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) accepted_.push_back(fd);
    return fd;
  }

  static sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::vector<int> accepted_;
};

// A port on 127.0.0.1 where nothing listens: bound once, then released.
inline int RefusingPort() {
  Listener probe;
  return probe.Port();
}

// Connections that fill a listener's accept queue; while they stay, further connects to it get
// no answer at all, as from an address that does not reply.
class FullAcceptQueue {
 public:
  // False from Filled() when the queue could not be filled on this system.
  explicit FullAcceptQueue(const Listener& listener) {
    const sockaddr_in address = Listener::Loopback(listener.Port());
    for (int i = 0; i < 16 && !filled_; ++i) {
      const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      clients_.push_back(fd);
      if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) continue;
      // Still connecting after 50 ms on loopback: the SYN was dropped, the queue is full.
      pollfd p{fd, POLLOUT, 0};
      filled_ = poll(&p, 1, 50) == 0;
    }
  }
  ~FullAcceptQueue() {
    for (int fd : clients_) close(fd);
  }
  FullAcceptQueue(const FullAcceptQueue&) = delete;
  FullAcceptQueue& operator=(const FullAcceptQueue&) = delete;
  bool Filled() const { return filled_; }

 private:
  std::vector<int> clients_;
  bool filled_ = false;
};
