#include "station/comm/MeterComm.h"

#include <array>

namespace {

// The two 256-entry tables of the Modbus serial line CRC (reflected polynomial 0xA001), one for
// each byte of the CRC register, built at compile time.
struct CrcTables {
  std::array<std::uint8_t, 256> hi{};
  std::array<std::uint8_t, 256> lo{};
};

constexpr CrcTables MakeCrcTables() {
  CrcTables t;
  for (int i = 0; i < 256; ++i) {
    std::uint16_t crc = static_cast<std::uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    // crc is what one byte i does to a zero register: its low byte combines with the register's
    // high byte, its high byte becomes the new high byte.
    t.hi[i] = static_cast<std::uint8_t>(crc & 0xFF);
    t.lo[i] = static_cast<std::uint8_t>(crc >> 8);
  }
  return t;
}

constexpr CrcTables kCrc = MakeCrcTables();

constexpr int kRequestLength = 6;  // address, function, register hi/lo, count or value hi/lo
constexpr int kFrameLength = kRequestLength + 2;

// One request with its CRC; the low-order byte of the CRC register goes first.
using RequestFrame = std::array<std::uint8_t, kFrameLength>;

RequestFrame MakeRequest(std::uint8_t slave, std::uint8_t function, std::uint16_t reg,
                         std::uint16_t word) {
  RequestFrame frame = {slave,
                        function,
                        static_cast<std::uint8_t>(reg >> 8),
                        static_cast<std::uint8_t>(reg & 0xFF),
                        static_cast<std::uint8_t>(word >> 8),
                        static_cast<std::uint8_t>(word & 0xFF)};
  const std::uint16_t crc = CalcCrc16(frame.data(), kRequestLength);
  frame[kRequestLength] = static_cast<std::uint8_t>(crc >> 8);
  frame[kRequestLength + 1] = static_cast<std::uint8_t>(crc & 0xFF);
  return frame;
}

bool ReadRegisters(ModbusTransport& link, std::uint8_t function, std::uint8_t slave,
                   std::uint8_t* reply, std::uint16_t start, std::uint16_t count) {
  const RequestFrame frame = MakeRequest(slave, function, start, count);
  return link.Transact(frame.data(), kFrameLength, reply, ReadReplyLength(count));
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

std::uint16_t CalcCrc16(const std::uint8_t* data, std::uint16_t length) {
  std::uint8_t hi = 0xFF;  // high byte of the CRC register
  std::uint8_t lo = 0xFF;  // low byte of the CRC register
  for (std::uint16_t i = 0; i < length; ++i) {
    const std::uint8_t index = lo ^ data[i];
    lo = static_cast<std::uint8_t>(hi ^ kCrc.hi[index]);
    hi = kCrc.lo[index];
  }
  // The low-order byte of the register goes first on the wire: it is the result's high byte.
  return static_cast<std::uint16_t>((lo << 8) | hi);
}

int ReadReplyLength(std::uint16_t registerCount) {
  return static_cast<std::uint8_t>(5 + 2 * registerCount);
}

bool ReplyIntact(const std::uint8_t* reply, int receivedLength, int expectedLength) {
  if (receivedLength != expectedLength || expectedLength < 3) return false;
  const std::uint16_t crc = CalcCrc16(reply, static_cast<std::uint16_t>(expectedLength - 2));
  return reply[expectedLength - 2] == static_cast<std::uint8_t>(crc >> 8) &&
         reply[expectedLength - 1] == static_cast<std::uint8_t>(crc & 0xFF);
}

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
  return link.Transact(frame.data(), kFrameLength, reply, kWriteEchoLength);
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
