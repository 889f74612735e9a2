#pragma once
// Helpers of the master and meter poll suites: a scripted meter on a pty with the station's port
// open on it, reply frames for the in-memory link, a guard that gives PollDelay back its value
// after a test, and a status bar that records what the polling threads show.

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ComPort.h"
#include "platform/SerialPort.h"
#include "station/comm/IPCommSrvTh.h"
#include "station/comm/MeterComm.h"
#include "station/comm/ModbusFrame.h"
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

// A meter's reply to a read: address, function, byte count, the registers high-order byte
// first, and the CRC (the slave's own).
inline Frame ReadReply(std::uint8_t address, std::uint8_t function,
                       const std::vector<std::uint16_t>& registers) {
  Frame frame{address, function, static_cast<std::uint8_t>(2 * registers.size())};
  for (std::uint16_t word : registers) {
    frame.push_back(static_cast<std::uint8_t>(word >> 8));
    frame.push_back(static_cast<std::uint8_t>(word & 0xFF));
  }
  AppendSlaveCrc(frame);
  return frame;
}

// A two-channel meter on slave 1 reading holding registers 40 and 41: channel 0 with 1 decimal,
// channel 1 with the limits HA 100 and HHA 1000.
inline void SetUpDecodeMeter(TMeterRecord& meter) {
  meter.Clear();
  meter.SlaveAddress = 1;
  meter.ChannelCount = 2;
  meter.CommCode = 1;
  meter.StartRegister = 40;
  meter.Channels[0].Decimals = 1;
  meter.Channels[1].HA = 100.0f;
  meter.Channels[1].HHA = 1000.0f;
}
inline const std::vector<std::uint16_t> kDecodeMeterRegisters = {0xFF38, 100};

// What a good poll of that meter with those registers leaves in its record.
inline void ExpectDecodeMeterPolled(const TMeterRecord& meter) {
  EXPECT_TRUE(meter.IsOnline());
  EXPECT_EQ(meter.Value(0), -20.0f);
  EXPECT_EQ(meter.Value(1), 100.0f);
  EXPECT_EQ(meter.HAFlags[1].load(), 1);
  EXPECT_EQ(meter.HHAFlags[1].load(), 0);
}

// Collects what the polling threads would show in the status bar. They write from their own
// threads while the test reads, hence the lock.
class RecordingSink : public StatusPanelSink {
 public:
  void SetPanelText(int panel, const std::string& text) override {
    std::lock_guard lock(mutex_);
    panels_.push_back(panel);
    texts_.push_back(text);
  }
  std::vector<std::string> Texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
  }
  std::vector<int> Panels() const {
    std::lock_guard lock(mutex_);
    return panels_;
  }
  std::size_t Count() const {
    std::lock_guard lock(mutex_);
    return texts_.size();
  }
  // The last text shown in `panel` (empty while none was).
  std::string Last(int panel) const {
    std::lock_guard lock(mutex_);
    for (std::size_t k = texts_.size(); k-- > 0;) {
      if (panels_[k] == panel) return texts_[k];
    }
    return {};
  }

 private:
  mutable std::mutex mutex_;
  std::vector<int> panels_;
  std::vector<std::string> texts_;
};
