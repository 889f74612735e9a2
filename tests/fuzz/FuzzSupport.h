#pragma once
// Helpers of the libFuzzer targets: a check that stops the run with a report (libFuzzer then
// keeps the input as a crash), and a COM port whose replies are the fuzz input's bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/ComPort.h"
#include "station/comm/MeterComm.h"

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (false)

// A serial port in front of a meter that answers with the input's bytes. Each read takes, as the
// input says, a reply cut short, a reply of the full length, the same with its CRC made right,
// or the request echoed (what a meter answers to a register write); a write may fall short.
// The buffer handed to Read is filled only as far as Read reports, so a read past the caller's
// buffer shows as a memory error.
class FuzzComPort : public ComPort {
 public:
  explicit FuzzComPort(FuzzedDataProvider& input) : input_(input) {}

  void PurgeRx() override {}

  int Write(const std::uint8_t* data, int length) override {
    request_.assign(data, data + length);
    if (input_.ConsumeBool()) return length;
    return input_.ConsumeIntegralInRange(0, length);
  }

  int Read(std::uint8_t* buffer, int length) override {
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
