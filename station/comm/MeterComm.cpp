#include "station/comm/MeterComm.h"

#include "station/comm/ModbusFrame.h"

namespace {

bool ReadRegisters(ModbusTransport& link, std::uint8_t function, std::uint8_t slave,
                   std::uint8_t* reply, std::uint16_t start, std::uint16_t count) {
  const RequestFrame frame = MakeRequest(slave, function, start, count);
  return link.Transact(frame.data(), kRequestFrameLength, reply, ReadReplyLength(count));
}

void CountFailedPoll(TMeterRecord& meter) {
  constexpr auto kRelaxed = std::memory_order_relaxed;
  std::int8_t failures = meter.FailureCount.load(kRelaxed);
  if (failures < 5) {
    ++failures;
    meter.FailureCount.store(failures, kRelaxed);
  }
  if (failures >= 5) meter.Online.store(0, kRelaxed);
}

void TakeReply(TMeterRecord& meter, const std::uint8_t* reply) {
  constexpr auto kRelaxed = std::memory_order_relaxed;
  meter.Online.store(1, kRelaxed);
  for (int ch = 0; ch < meter.ChannelCount; ++ch) {
    const auto raw = static_cast<std::int16_t>((reply[3 + 2 * ch] << 8) | reply[4 + 2 * ch]);
    const TChannelRecord& channel = meter.Channels[ch];
    const float value = ScaleRegister(raw, channel.Decimals);
    meter.Values[ch].store(value, kRelaxed);
    meter.LLAFlags[ch].store(value <= channel.LLA ? 1 : 0, kRelaxed);
    meter.LAFlags[ch].store(value <= channel.LA ? 1 : 0, kRelaxed);
    meter.HAFlags[ch].store(value >= channel.HA ? 1 : 0, kRelaxed);
    meter.HHAFlags[ch].store(value >= channel.HHA ? 1 : 0, kRelaxed);
  }
  meter.FailureCount.store(0, kRelaxed);
}

using ReadRequestBuilder = bool (*)(ModbusTransport&, std::uint8_t, std::uint8_t*, std::uint16_t,
                                    std::uint16_t);
// Indexed by the meter's comm code: 0 = "3X" (fc 4), 1 = "4X" (fc 3).
const ReadRequestBuilder ReadRequestBuilders[2] = {ReadInputRegs, ReadHoldingRegs};

}  // namespace

const std::int32_t BaudRateTable[kBaudRateCount] = {2400,  4800,  9600,  14400,
                                                     19200, 38400, 57600, 115200};

bool ReadInputRegs(ModbusTransport& link, std::uint8_t slave, std::uint8_t* reply,
                   std::uint16_t start, std::uint16_t count) {
  return ReadRegisters(link, kFcReadInput, slave, reply, start, count);
}

bool ReadHoldingRegs(ModbusTransport& link, std::uint8_t slave, std::uint8_t* reply,
                     std::uint16_t start, std::uint16_t count) {
  return ReadRegisters(link, kFcReadHolding, slave, reply, start, count);
}

bool WriteSingleReg(ModbusTransport& link, std::uint8_t slave, std::uint8_t* reply,
                    std::uint16_t reg, std::int16_t value) {
  const RequestFrame frame =
      MakeRequest(slave, kFcWriteSingle, reg, static_cast<std::uint16_t>(value));
  return link.Transact(frame.data(), kRequestFrameLength, reply, kWriteEchoLength);
}

float ScaleRegister(std::int16_t raw, int decimals) {
  // Each step multiplies by the extended constant nearest 0.1 in 80-bit precision and rounds
  // the product back to float32; one division by 10^decimals would differ in the last bit for
  // many registers, and stored values must stay bit-identical to what operators have seen.
  static_assert(sizeof(long double) > sizeof(double), "needs x87 extended precision");
  float value = static_cast<float>(raw);
  for (int step = 0; step < decimals; ++step) {
    value = static_cast<float>(static_cast<long double>(value) * 0.1L);
  }
  return value;
}

void PollMeter(ModbusTransport& link, TMeterRecord& meter) {
  std::uint8_t reply[kPollReplyBufferSize] = {};
  const bool ok = MeterPollable(meter) &&
                  ReadRequestBuilders[meter.CommCode](link, meter.SlaveAddress, reply,
                                                      meter.StartRegister, meter.ChannelCount);
  ok ? TakeReply(meter, reply) : CountFailedPoll(meter);
}
