#pragma once
// A connected TCP stream as the Modbus transaction sees it: the client socket, or a test's fake.
//
// On an inactive stream SendBuf and ReceiveBuf return 0. A failed send or receive returns a
// short count (or raises, as the implementation documents); nothing here retries.

class TcpStream {
 public:
  virtual ~TcpStream() = default;

  // True while a connection is open.
  virtual bool Active() const = 0;
  // Send and receive time-outs of the connection, in milliseconds.
  virtual void SetTimeouts(int sendMs, int receiveMs) = 0;
  // Returns the count sent.
  virtual int SendBuf(const void* data, int count) = 0;
  // One receive of at most `count` bytes; returns what arrived (0: nothing, or closed).
  virtual int ReceiveBuf(void* buffer, int count) = 0;
};
