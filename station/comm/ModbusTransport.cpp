#include "station/comm/ModbusTransport.h"

#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "platform/TcpStream.h"
#include "station/comm/ModbusFrame.h"

std::atomic<std::int32_t> PollDelay{kStartPollDelayMs};

namespace {

void PauseBeforeAttempt() { SleepMs(PollDelay.load(std::memory_order_relaxed)); }

}  // namespace

bool SerialTransport::Transact(const std::uint8_t* frame, int frameLength, std::uint8_t* reply,
                               int expectedLength) {
  for (int attempt = 0; attempt < kMaxTransactAttempts; ++attempt) {
    PauseBeforeAttempt();
    port_.PurgeRx();
    if (port_.Write(frame, frameLength) != frameLength) continue;
    const int received = port_.Read(reply, expectedLength);
    if (ReplyIntact(reply, received, expectedLength)) return true;
  }
  return false;
}

bool SocketTransport::Transact(const std::uint8_t* frame, int frameLength, std::uint8_t* reply,
                               int expectedLength) {
  if (!socket_.Active()) return false;
  socket_.SetTimeouts(kSocketTimeoutMs, kSocketTimeoutMs);
  if (socket_.SendBuf(frame, frameLength) != frameLength) return false;
  for (int attempt = 0; attempt < kMaxTransactAttempts; ++attempt) {
    PauseBeforeAttempt();
    const int received = socket_.ReceiveBuf(reply, expectedLength);
    if (ReplyIntact(reply, received, expectedLength)) return true;
  }
  return false;
}
