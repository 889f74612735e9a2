#pragma once
// An in-memory Modbus link for tests and fuzz targets, in place of a meter on a serial line or
// on a TCP connection: it serves as a COM port and as a connected socket, and replays given reply
// bytes.
//
// Every frame written or sent is recorded, and each one makes its reply readable: the next
// queued reply, or with a responder set, what the responder returns for the frame. No queued
// reply is silence. Then:
// - a serial Read takes up to the count asked for from all readable bytes (a port's read gathers
//   bytes until it has its count); PurgeRx discards them all;
// - a socket ReceiveBuf takes up to the count from the first readable segment only (one receive
//   returns what one TCP segment carried). A receive that finds nothing has run into the receive
//   time-out, and the connection is closed as the station's socket error handler does: later
//   receives return 0 and later replies are lost.
// Nothing waits: a read that finds nothing returns 0 at once.
//
// Thread-safety: may be scripted and inspected from one thread while a polling thread uses it.
// The responder runs on the writing thread, outside the link's lock, so it may block.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/ComPort.h"
#include "platform/TcpStream.h"

class ReplayLink final : public ComPort, public TcpStream {
 public:
  using Bytes = std::vector<std::uint8_t>;
  using Responder = std::function<Bytes(const Bytes& request)>;

  // The reply to one request (empty: silence), `times` times.
  void QueueReply(const Bytes& reply, int times = 1);
  // The reply to one request in several segments (a reply that TCP delivers in pieces).
  void QueueSegments(std::vector<Bytes> segments);
  // Answers every request through `responder` instead of the queue; nullptr goes back to it.
  void SetResponder(Responder responder);

  std::vector<Bytes> Requests() const;
  std::size_t RequestCount() const;
  // What the last SetTimeouts set ({0, 0} before any).
  std::pair<int, int> Timeouts() const;
  // The socket side's connection: open from the start.
  void Connect();
  void Disconnect();

  // ---- ComPort ----
  void PurgeRx() override;
  int Write(const std::uint8_t* data, int length) override;
  int Read(std::uint8_t* buffer, int length) override;

  // ---- TcpStream ----
  bool Active() const override;
  void SetTimeouts(int sendMs, int receiveMs) override;
  int SendBuf(const void* data, int count) override;
  int ReceiveBuf(void* buffer, int count) override;

 private:
  using Segments = std::vector<Bytes>;
  // Records the request and makes its reply readable.
  void Take(const Bytes& request);

  mutable std::mutex mutex_;
  std::deque<Segments> queue_;
  Responder responder_;
  std::vector<Bytes> requests_;
  std::deque<Bytes> readable_;
  std::pair<int, int> timeouts_{0, 0};
  bool connected_ = true;
};
