#pragma once
// A blocking TCP client socket with the semantics the Ethernet polling thread relies on.
//
// Address is dotted IPv4 text only (no name lookup); Port must lie in 1..65535. Open connects
// (at most kConnectTimeoutMs) and runs OnConnect on the calling thread; a failed connect raises
// ESocketError naming the address and leaves the socket inactive. Open on an active socket keeps
// its connection. Close is idempotent; on an inactive socket SendBuf and ReceiveBuf return 0. A
// failed send or receive calls OnError with the error code: when the handler sets the code to 0
// no exception is raised and the call returns a short count (the station's handler then closes
// the connection, so later receives return 0); otherwise ESocketError is raised. Sends never
// raise SIGPIPE.
//
// Thread-safety: one thread uses the socket at a time (the Ethernet polling thread while polling
// runs, the GUI thread otherwise).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/TcpStream.h"

// An IPv4 address as operators type it: four decimal numbers 0..255 separated by dots, leading
// zeros read as decimal ("010" is 10), blanks around the text ignored. Returns the address in
// host byte order, or nothing for any other text (names, fewer or more parts, signs, blanks
// inside, a NUL).
std::optional<std::uint32_t> ParseDottedIpv4(std::string_view text);

class TClientSocket final : public TcpStream {
 public:
  static constexpr int kConnectTimeoutMs = 3000;

  TClientSocket() = default;
  ~TClientSocket() override;
  TClientSocket(const TClientSocket&) = delete;
  TClientSocket& operator=(const TClientSocket&) = delete;

  std::string Address;  // dotted IPv4 text, kept as given (status texts show it so)
  std::int32_t Port = 0;

  std::function<void(TClientSocket& socket)> OnConnect;
  std::function<void(TClientSocket& socket, int& errorCode)> OnError;

  bool Active() const override;
  void Open();
  void Close();
  // Returns the count sent, or a short count after an error that OnError cleared.
  int SendBuf(const void* data, int count) override;
  // One receive of at most `count` bytes; returns what arrived, 0 on a closed connection or
  // after an error that OnError cleared.
  int ReceiveBuf(void* buffer, int count) override;
  // SO_SNDTIMEO / SO_RCVTIMEO of the connected socket.
  void SetTimeouts(int sendMs, int receiveMs) override;

 private:
  void ReportError(int errorCode);

  int fd_ = -1;
};
