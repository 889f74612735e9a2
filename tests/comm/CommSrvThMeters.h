#pragma once
// Meters, poll lists and expected request frames for the polling-thread tests.

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "common/MeterRecord.h"
#include "station/comm/MeterComm.h"
#include "station/comm/ModbusFrame.h"
#include "station/comm/SetValueRequest.h"
#include "tools/sim/ScriptedSlave.h"

// A polled meter with limits far outside every register value (no alarm flag is ever set).
inline void SetUpMeter(TMeterRecord& meter, std::uint8_t address, std::uint8_t channels,
                       std::uint8_t commCode, std::uint16_t start) {
  meter.Clear();
  meter.SlaveAddress = address;
  meter.ChannelCount = channels;
  meter.CommCode = commCode;
  meter.StartRegister = start;
  for (int ch = 0; ch < channels; ++ch) {
    meter.Channels[ch].LLA = -1e9f;
    meter.Channels[ch].LA = -1e9f;
    meter.Channels[ch].HA = 1e9f;
    meter.Channels[ch].HHA = 1e9f;
  }
}

template <std::size_t N>
void FillPollList(TPollList& list, std::array<TMeterRecord, N>& meters, int count = N) {
  list.Count = count;
  for (int m = 0; m < count; ++m) list.Meters[m] = &meters[m];
}

// The read request the poll sends for the meter, CRC by the slave's own implementation.
inline Frame PollRequestFor(const TMeterRecord& meter) {
  const std::uint8_t function = meter.CommCode == 0 ? kFcReadInput : kFcReadHolding;
  Frame frame{meter.SlaveAddress,
              function,
              static_cast<std::uint8_t>(meter.StartRegister >> 8),
              static_cast<std::uint8_t>(meter.StartRegister & 0xFF),
              0,
              meter.ChannelCount};
  AppendSlaveCrc(frame);
  return frame;
}

inline std::vector<std::uint8_t> AddressesOf(const std::vector<Frame>& frames) {
  std::vector<std::uint8_t> addresses;
  for (const Frame& frame : frames) addresses.push_back(frame.empty() ? 0 : frame[0]);
  return addresses;
}

inline long IndexOf(const std::vector<Frame>& frames, const Frame& wanted) {
  const auto it = std::find(frames.begin(), frames.end(), wanted);
  return it == frames.end() ? -1 : static_cast<long>(it - frames.begin());
}

// The set-value mailbox and the poll pause are process-wide: every test starts and ends with
// them as the program starts.
inline void ResetSharedCommState() {
  SetValueRequest.WithdrawPending();
  SetValueRequest.Select(SetValueTarget{});
  PollDelay.store(kStartPollDelayMs);
}

// What the set-value panel does: select the target, then post. Returns the request's number.
inline std::uint32_t PostSetValueRequest(SetValueCommand command, std::int32_t port,
                                         std::uint8_t slave, std::int16_t value) {
  SetValueTarget target;
  target.port = port;
  target.slaveAddress = slave;
  SetValueRequest.Select(target);
  return SetValueRequest.Post(command, value);
}
