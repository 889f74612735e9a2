#include "station/comm/ModbusFrame.h"

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
static_assert(kRequestFrameLength == kRequestLength + 2);

}  // namespace

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

int ReadReplyLength(std::uint16_t registerCount) {
  return static_cast<std::uint8_t>(5 + 2 * registerCount);
}

bool ReplyIntact(const std::uint8_t* reply, int receivedLength, int expectedLength) {
  if (receivedLength != expectedLength || expectedLength < 3) return false;
  const std::uint16_t crc = CalcCrc16(reply, static_cast<std::uint16_t>(expectedLength - 2));
  return reply[expectedLength - 2] == static_cast<std::uint8_t>(crc >> 8) &&
         reply[expectedLength - 1] == static_cast<std::uint8_t>(crc & 0xFF);
}
