#pragma once
// The serial polling thread of one COM port: polls the port's meters one after the other, and
// between two polls answers a set-value request addressed to its port.

#include <cstdint>

#include "common/MeterRecord.h"
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
};
