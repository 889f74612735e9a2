#pragma once
// The link one Modbus exchange runs over, and its two implementations: an open COM port and a
// connected client socket (the same RTU frame, CRC included, on a raw TCP connection: no MBAP
// header). Each keeps the retry rule of the master on its own link; both pause PollDelay before
// every attempt and judge a reply only by ReplyIntact (length and CRC).
//
// Thread-safety: a transport is used by one polling thread at a time, like the port or socket
// under it. PollDelay may be written by any serial polling thread meanwhile.

#include <atomic>
#include <cstdint>

class ComPort;
class TcpStream;

// Pause before every transaction attempt, serial and TCP. 300 ms from program start; every serial
// polling thread sets it to 2000 before each poll, and nothing sets it back.
inline constexpr std::int32_t kStartPollDelayMs = 300;
inline constexpr std::int32_t kSerialPollDelayMs = 2000;
extern std::atomic<std::int32_t> PollDelay;

inline constexpr int kMaxTransactAttempts = 3;
// Send and receive time-outs of the socket, set on every TCP transaction: a receive that runs
// into it fails its attempt, and the error handler closes the connection.
inline constexpr int kSocketTimeoutMs = 300;

class ModbusTransport {
 public:
  virtual ~ModbusTransport() = default;

  // Sends the request frame (CRC included) and takes a reply of exactly `expectedLength` bytes
  // into `reply`, retrying by the link's rule. True when an intact reply is in `reply`.
  // REQUIRES: `reply` has room for `expectedLength` bytes.
  virtual bool Transact(const std::uint8_t* frame, int frameLength, std::uint8_t* reply,
                        int expectedLength) = 0;
};

// Up to 3 attempts, each: pause PollDelay, purge the receive queue (a late reply to an earlier
// attempt goes), write the frame, read exactly the expected length (the port's time-outs end a
// short read).
class SerialTransport final : public ModbusTransport {
 public:
  // `port` must outlive the transport.
  explicit SerialTransport(ComPort& port) : port_(port) {}
  bool Transact(const std::uint8_t* frame, int frameLength, std::uint8_t* reply,
                int expectedLength) override;

 private:
  ComPort& port_;
};

// False at once, without a pause, when the socket is not connected. Otherwise sets the send and
// receive time-outs (kSocketTimeoutMs), sends the frame once, then up to 3 receive attempts, each
// after a pause of PollDelay and without sending again.
class SocketTransport final : public ModbusTransport {
 public:
  // `socket` must outlive the transport.
  explicit SocketTransport(TcpStream& socket) : socket_(socket) {}
  bool Transact(const std::uint8_t* frame, int frameLength, std::uint8_t* reply,
                int expectedLength) override;

 private:
  TcpStream& socket_;
};
