#include "station/comm/CommSrvTh.h"

#include <memory>
#include <optional>

#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "station/comm/MeterComm.h"
#include "station/comm/SetValueRequest.h"

namespace {

// Every turn either answers the pending set-value request, waits while another port's request
// is pending, or polls the next meter.
enum class Turn { AnswerRequest, AwaitForeignRequest, PollNext };

Turn NextTurn(const std::optional<SetValueOrder>& order, std::int32_t portIndex) {
  if (!order) return Turn::PollNext;
  return order->port == portIndex ? Turn::AnswerRequest : Turn::AwaitForeignRequest;
}

// Reads or writes the set-value register of the requested slave and answers the request. A
// request withdrawn while the exchange ran (the requester gave up waiting, and may have posted
// the next one) does not take the answer.
void AnswerSetValueRequest(ModbusTransport& link, const SetValueOrder& order) {
  std::uint8_t reply[kSetValueReplyBufferSize] = {};
  SetValueAnswer answer{false, order.value};
  if (order.command == kSetValueRead) {
    answer.done = ReadHoldingRegs(link, order.slaveAddress, reply, SetValueRegister, 1);
    if (answer.done) answer.value = static_cast<std::int16_t>((reply[3] << 8) | reply[4]);
  } else if (order.command == kSetValueWrite) {
    answer.done = WriteSingleReg(link, order.slaveAddress, reply, SetValueRegister, order.value);
  }
  SetValueRequest.TryAnswer(order.sequence, answer);
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
  if (!port) {
    if (!Terminated()) {
      SetMetersOffline();
      Terminate();
    }
    return;
  }
  SerialTransport link(*port);
  std::int32_t next = 0;
  while (!Terminated()) {
    const std::optional<SetValueOrder> order = SetValueRequest.Pending();
    switch (NextTurn(order, PortIndex)) {
      case Turn::AnswerRequest:
        AnswerSetValueRequest(link, *order);
        break;
      case Turn::AwaitForeignRequest:
        // Not the SleepMs seam: this pause only keeps a raised-priority thread from spinning.
        RealSleepMs(kForeignRequestYieldMs);
        break;
      case Turn::PollNext:
        PollDelay.store(kSerialPollDelayMs, std::memory_order_relaxed);
        PollMeter(link, *MeterList[next]);
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
