#pragma once
// Helpers of the libFuzzer targets: a check that stops the run with a report (libFuzzer then
// keeps the input as a crash), and a serial port and a TCP connection whose replies are the fuzz
// input's bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/ComPort.h"
#include "platform/TcpStream.h"
#include "station/comm/MeterComm.h"
#include "station/comm/ModbusFrame.h"
#include "station/comm/ModbusTransport.h"

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

// A meter that answers with the input's bytes. Each reply is, as the input says, a reply cut
// short, a reply of the full length, the same with its CRC made right, or the request echoed
// (what a meter answers to a register write); a request may be taken only in part. The buffer
// handed over is filled only as far as the count returned, so a read past the caller's buffer
// shows as a memory error.
class FuzzMeter {
 public:
  explicit FuzzMeter(FuzzedDataProvider& input) : input_(input) {}

  int TakeRequest(const std::uint8_t* data, int length) {
    request_.assign(data, data + length);
    if (input_.ConsumeBool()) return length;
    return input_.ConsumeIntegralInRange(0, length);
  }

  int Reply(std::uint8_t* buffer, int length) {
    enum Reply { kShort, kFull, kFullWithCrc, kEcho, kReplyKinds };
    const int kind = input_.ConsumeIntegralInRange(0, kReplyKinds - 1);
    if (kind == kEcho) {
      const int n = std::min<int>(length, static_cast<int>(request_.size()));
      std::copy_n(request_.begin(), n, buffer);
      return n;
    }
    const int wanted = kind == kShort ? input_.ConsumeIntegralInRange(0, length) : length;
    const std::vector<std::uint8_t> bytes = input_.ConsumeBytes<std::uint8_t>(wanted);
    std::copy(bytes.begin(), bytes.end(), buffer);
    const int n = static_cast<int>(bytes.size());
    if (kind == kFullWithCrc && n == length && n >= 3) {
      const std::uint16_t crc = CalcCrc16(buffer, static_cast<std::uint16_t>(n - 2));
      buffer[n - 2] = static_cast<std::uint8_t>(crc >> 8);
      buffer[n - 1] = static_cast<std::uint8_t>(crc & 0xFF);
    }
    return n;
  }

 private:
  FuzzedDataProvider& input_;
  std::vector<std::uint8_t> request_;
};

// A serial port in front of that meter.
class FuzzComPort : public ComPort {
 public:
  explicit FuzzComPort(FuzzMeter& meter) : meter_(meter) {}
  void PurgeRx() override {}
  int Write(const std::uint8_t* data, int length) override { return meter_.TakeRequest(data, length); }
  int Read(std::uint8_t* buffer, int length) override { return meter_.Reply(buffer, length); }

 private:
  FuzzMeter& meter_;
};

// A TCP connection to that meter; the input may have it closed before the exchange.
class FuzzTcpStream : public TcpStream {
 public:
  explicit FuzzTcpStream(FuzzMeter& meter) : meter_(meter) {}
  void Close() { active_ = false; }
  bool Active() const override { return active_; }
  void SetTimeouts(int, int) override {}
  int SendBuf(const void* data, int count) override {
    return active_ ? meter_.TakeRequest(static_cast<const std::uint8_t*>(data), count) : 0;
  }
  int ReceiveBuf(void* buffer, int count) override {
    return active_ ? meter_.Reply(static_cast<std::uint8_t*>(buffer), count) : 0;
  }

 private:
  FuzzMeter& meter_;
  bool active_ = true;
};

// The link a target polls over: the serial port or the TCP connection, as the target is built
// (FUZZ_OVER_TCP), each behind the station's own transport and its retry rule.
class FuzzLink {
 public:
  explicit FuzzLink(FuzzedDataProvider& input)
      : meter_(input), port_(meter_), stream_(meter_), serial_(port_), socket_(stream_) {
#ifdef FUZZ_OVER_TCP
    if (input.ConsumeBool()) stream_.Close();  // the connect failed: the poll fails at once
#endif
  }
  ModbusTransport& Transport() {
#ifdef FUZZ_OVER_TCP
    return socket_;
#else
    return serial_;
#endif
  }

 private:
  FuzzMeter meter_;
  FuzzComPort port_;
  FuzzTcpStream stream_;
  SerialTransport serial_;
  SocketTransport socket_;
};
