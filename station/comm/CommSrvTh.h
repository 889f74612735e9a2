#pragma once
// The serial polling thread of one COM port: polls the port's meters one after the other, and
// between two polls answers a set-value request addressed to its port (SetValueRequest).
//
// Each turn, until Terminated: a port handle that resolves to no open port (0, -1, closed) sets
// every meter of the list offline and ends the thread without sending anything; else a pending
// request for PortIndex is answered; a pending request for another port makes the turn a short
// pause (no poll); with no request, PollDelay becomes 2000 ms and the next meter of the list is
// polled, in list order, wrapping. A missing list or a MeterCount below 1 ends the thread at once.
//
// Thread-safety: the thread is the only user of its port and the only writer of its meters'
// run-time fields. The list and the meters' stored parts must stay unchanged while it runs.

#include <cstdint>

#include "common/MeterRecord.h"
#include "platform/ComPort.h"
#include "platform/Thread.h"

class TCommSrvTh : public TThread {
 public:
  explicit TCommSrvTh(bool CreateSuspended);

  // Set by polling control before Resume, never changed afterwards.
  std::int32_t MeterCount = 0;
  TMeterRecord* const* MeterList = nullptr;
  ComHandle PortHandle = kComNeverOpened;
  std::int32_t PortIndex = -1;  // COM index 0..39: the set-value target this thread answers

  // Pause of a thread that waits while another port's set-value request is pending.
  static constexpr int kForeignRequestYieldMs = 5;

 protected:
  void Execute() override;

 private:
  void SetMetersOffline();
};
