// The Modbus RTU frame rules: the CRC against literal bytes and the bitwise CRC of the scripted
// meter, and the reply check.

#include "station/comm/ModbusFrame.h"

#include <random>

#include <gtest/gtest.h>

#include "tests/comm/CommTestSupport.h"

namespace {

TEST(ModbusCrc, KnownFramesGetTheirCrcBytesLowOrderFirst) {
  struct Case {
    Frame body;
    std::uint8_t first, second;
  };
  const Case cases[] = {
      {Bytes({0x01, 0x04, 0x00, 0x00, 0x00, 0x01}), 0x31, 0xCA},
      {Bytes({0x01, 0x03, 0x00, 0x1F, 0x00, 0x01}), 0xB5, 0xCC},
      {Bytes({0x01, 0x06, 0x00, 0x1F, 0x00, 0x64}), 0xB9, 0xE7},
  };
  for (const Case& c : cases) {
    const std::uint16_t crc = CalcCrc16(c.body.data(), static_cast<std::uint16_t>(c.body.size()));
    EXPECT_EQ(crc >> 8, c.first);
    EXPECT_EQ(crc & 0xFF, c.second);
  }
}

TEST(ModbusCrc, TableDrivenCrcAgreesWithTheBitwiseOneOnRandomFrames) {
  std::mt19937 random(7);
  for (int n = 0; n < 2000; ++n) {
    Frame frame(random() % 120);
    for (auto& b : frame) b = static_cast<std::uint8_t>(random());
    const std::uint16_t bitwise = SlaveCrc16(frame.data(), frame.size());
    const std::uint16_t table = CalcCrc16(frame.data(), static_cast<std::uint16_t>(frame.size()));
    ASSERT_EQ(table, static_cast<std::uint16_t>((bitwise << 8) | (bitwise >> 8)));
  }
}

TEST(ModbusReply, OnlyExactLengthAndMatchingCrcAreIntact) {
  Frame reply = Bytes({0x07, 0x04, 0x02, 0xFF, 0x38});
  AppendSlaveCrc(reply);
  EXPECT_TRUE(ReplyIntact(reply.data(), 7, 7));
  EXPECT_FALSE(ReplyIntact(reply.data(), 6, 7));
  EXPECT_FALSE(ReplyIntact(reply.data(), 7, 9));
  std::swap(reply[5], reply[6]);
  EXPECT_FALSE(ReplyIntact(reply.data(), 7, 7));
}

}  // namespace
