#pragma once
// Helpers of the master and meter poll suites: a scripted meter on a pty with the station's port
// open on it, and a guard that gives PollDelay back its value after a test.

#include <memory>
#include <string>
#include <vector>

#include "platform/ComPort.h"
#include "platform/SerialPort.h"
#include "station/comm/MeterComm.h"
#include "tools/sim/ScriptedSlave.h"

// A scripted slave on a pty and the station's port opened on its device at 9600 baud.
struct PtyMeter {
  explicit PtyMeter(std::vector<std::uint8_t> addresses = {1}) : slave(std::move(addresses)) {
    handle = OpenSerialPort(slave.StartPty(), 9600);
    port = ComPortFromHandle(handle);
  }
  ~PtyMeter() {
    port.reset();
    CloseComHandle(handle);
  }
  PtyMeter(const PtyMeter&) = delete;
  PtyMeter& operator=(const PtyMeter&) = delete;

  ScriptedSlave slave;
  ComHandle handle = kComInvalid;
  std::shared_ptr<ComPort> port;
};

class PollDelayGuard {
 public:
  explicit PollDelayGuard(std::int32_t value) : saved_(PollDelay.load()) { PollDelay = value; }
  ~PollDelayGuard() { PollDelay = saved_; }
  PollDelayGuard(const PollDelayGuard&) = delete;
  PollDelayGuard& operator=(const PollDelayGuard&) = delete;

 private:
  std::int32_t saved_;
};

inline Frame Bytes(std::initializer_list<int> values) {
  Frame frame;
  for (int v : values) frame.push_back(static_cast<std::uint8_t>(v));
  return frame;
}
