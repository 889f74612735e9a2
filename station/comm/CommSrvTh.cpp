#include "station/comm/CommSrvTh.h"

#include <memory>

#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "station/comm/MeterComm.h"
#include "station/comm/SetValueRequest.h"

namespace {

// Every turn either answers the pending set-value request, waits while another port's request
// is pending, or polls the next meter.
enum class Turn { AnswerRequest, AwaitForeignRequest, PollNext };

Turn NextTurn(std::uint8_t command, std::int32_t portIndex) {
  if (command == kSetValueIdle) return Turn::PollNext;
  return SetValueRequest.TargetPort.load(std::memory_order_relaxed) == portIndex
             ? Turn::AnswerRequest
             : Turn::AwaitForeignRequest;
}

// Reads or writes the set-value register of the requested slave, stores Result (and, after a
// good read, Value), then hands the block back with Command = 0: the release is what tells the
// requester that Value and Result are ready.
//
// A requester that gave up waiting withdraws its request (Command = 0) and may post the next
// one while the exchange is still running. So the outcome is published only while the command
// is still the one answered, and the command goes back to 0 by a compare-exchange from it: a
// late answer neither overwrites the value of a write posted since nor clears its command.
void AnswerSetValueRequest(ComPort& port, std::uint8_t command) {
  const std::uint8_t slave = SetValueRequest.SlaveAddress.load(std::memory_order_relaxed);
  std::uint8_t reply[kSetValueReplyBufferSize] = {};
  bool done = false;
  if (command == kSetValueRead) {
    done = ReadHoldingRegs(port, slave, reply, SetValueRegister, 1);
  } else if (command == kSetValueWrite) {
    const std::int16_t value = SetValueRequest.Value.load(std::memory_order_relaxed);
    done = WriteSingleReg(port, slave, reply, SetValueRegister, value);
  }
  if (SetValueRequest.Command.load(std::memory_order_acquire) != command) return;  // withdrawn
  if (done && command == kSetValueRead) {
    const auto value = static_cast<std::int16_t>((reply[3] << 8) | reply[4]);
    SetValueRequest.Value.store(value, std::memory_order_relaxed);
  }
  SetValueRequest.Result.store(done ? 1 : 0, std::memory_order_relaxed);
  std::uint8_t answered = command;
  SetValueRequest.Command.compare_exchange_strong(answered, kSetValueIdle,
                                                  std::memory_order_release,
                                                  std::memory_order_relaxed);
}

}  // namespace

TCommSrvTh::TCommSrvTh(bool CreateSuspended) {
  if (!CreateSuspended) Resume();
}

void TCommSrvTh::Execute() {
  if (MeterList == nullptr || MeterCount < 1) return;  // nothing to poll
  // The handle is resolved once: the shared port stays usable for this thread even if the slot
  // is closed meanwhile. 0, -1 and closed handles resolve to nothing.
  const std::shared_ptr<ComPort> port = ComPortFromHandle(PortHandle);
  std::int32_t next = 0;
  while (!Terminated()) {
    if (!port) {
      SetMetersOffline();
      Terminate();
      return;
    }
    // Acquire: the target, slave address and value were stored before the command.
    const std::uint8_t command = SetValueRequest.Command.load(std::memory_order_acquire);
    switch (NextTurn(command, PortIndex)) {
      case Turn::AnswerRequest:
        AnswerSetValueRequest(*port, command);
        break;
      case Turn::AwaitForeignRequest:
        // Not the SleepMs seam: this pause only keeps a raised-priority thread from spinning.
        RealSleepMs(kForeignRequestYieldMs);
        break;
      case Turn::PollNext:
        PollDelay.store(kSerialPollDelayMs, std::memory_order_relaxed);
        PollMeter(*port, *MeterList[next]);
        next = (next + 1) % MeterCount;
        break;
    }
  }
}

void TCommSrvTh::SetMetersOffline() {
  for (std::int32_t m = 0; m < MeterCount; ++m) {
    MeterList[m]->Online.store(0, std::memory_order_relaxed);
  }
}
