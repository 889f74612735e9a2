// The Modbus RTU master on a serial line: request frames against literal bytes, and the
// three-attempt transaction against a scripted meter on a real pty.

#include <gtest/gtest.h>

#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

// ---- request frames as the meter receives them ----

class SerialMaster : public ::testing::Test {
 protected:
  SerialMaster() : delay_(kStartPollDelayMs) {}
  void SetUp() override { ASSERT_NE(meter_.port, nullptr); }

  ScriptedSlave& Slave() { return meter_.slave; }
  // fc 4, register 0, one register, from slave 1.
  bool ReadOne(std::uint8_t* reply) { return ReadInputRegs(link_, 1, reply, 0, 1); }

  ScopedFastSleep fastSleep_;
  PollDelayGuard delay_;
  PtyMeter meter_;
  SerialTransport link_{*meter_.port};
};

TEST_F(SerialMaster, BuildersSendTheLiteralRequestFrames) {
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_TRUE(ReadInputRegs(link_, 1, reply, 0, 1));
  EXPECT_TRUE(ReadHoldingRegs(link_, 1, reply, 31, 1));
  EXPECT_TRUE(WriteSingleReg(link_, 1, reply, 31, 100));
  EXPECT_TRUE(WriteSingleReg(link_, 1, reply, 31, -2));
  const std::vector<Frame> expected = {
      Bytes({0x01, 0x04, 0x00, 0x00, 0x00, 0x01, 0x31, 0xCA}),
      Bytes({0x01, 0x03, 0x00, 0x1F, 0x00, 0x01, 0xB5, 0xCC}),
      Bytes({0x01, 0x06, 0x00, 0x1F, 0x00, 0x64, 0xB9, 0xE7}),
      Bytes({0x01, 0x06, 0x00, 0x1F, 0xFF, 0xFE, 0x78, 0x7C}),
  };
  EXPECT_EQ(Slave().Requests(), expected);
  EXPECT_EQ(Slave().Holding(1, 31), 0xFFFE);
}

// ---- the transaction ----

TEST_F(SerialMaster, GoodReplyEndsTheTransactionAfterOneAttempt) {
  Slave().SetInput(1, 0, 0xABCD);
  std::uint8_t reply[kPollReplyBufferSize] = {};
  ASSERT_TRUE(ReadOne(reply));
  EXPECT_EQ(Slave().RequestCount(), 1u);
  EXPECT_EQ(reply[3], 0xAB);
  EXPECT_EQ(reply[4], 0xCD);
}

TEST_F(SerialMaster, ReplyFromAnotherAddressOrFunctionIsAccepted) {
  Slave().QueueReply(SlaveReply::FromAddress(9));
  Slave().QueueReply(SlaveReply::WithFunction(3));
  std::uint8_t reply[kPollReplyBufferSize] = {};
  ASSERT_TRUE(ReadOne(reply));
  EXPECT_EQ(reply[0], 9);
  ASSERT_TRUE(ReadOne(reply));
  EXPECT_EQ(reply[1], 3);
  EXPECT_EQ(Slave().RequestCount(), 2u);
}

TEST_F(SerialMaster, SwappedOrBadCrcFailsAllThreeAttempts) {
  Slave().SetInput(1, 0, 0x0001);  // a reply whose two CRC bytes differ
  for (const SlaveReply& damaged : {SlaveReply::SwappedCrc(), SlaveReply::BadCrc()}) {
    Slave().ClearRequests();
    Slave().SetDefaultReply(damaged);
    std::uint8_t reply[kPollReplyBufferSize];
    EXPECT_FALSE(ReadOne(reply));
    EXPECT_EQ(Slave().RequestCount(), 3u);
  }
}

TEST_F(SerialMaster, ExceptionReplyFailsByLength) {
  Slave().SetDefaultReply(SlaveReply::ExceptionReply(2));
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_FALSE(ReadOne(reply));
  EXPECT_EQ(Slave().RequestCount(), 3u);
}

TEST_F(SerialMaster, SilentMeterCostsThreeAttemptsEachAfterAPollDelay) {
  Slave().SetDefaultReply(SlaveReply::Silent());
  PollDelay = kSerialPollDelayMs;
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_FALSE(ReadOne(reply));
  EXPECT_EQ(Slave().RequestCount(), 3u);
  EXPECT_EQ(ScopedFastSleep::Calls(), 3);
  EXPECT_EQ(ScopedFastSleep::RequestedMs(), 3 * kSerialPollDelayMs);
}

TEST_F(SerialMaster, SecondAttemptSucceedsAfterAFailedFirst) {
  Slave().QueueReply(SlaveReply::Silent());
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_TRUE(ReadOne(reply));
  EXPECT_EQ(Slave().RequestCount(), 2u);
}

TEST_F(SerialMaster, LateReplyToTheFirstAttemptIsPurgedBeforeTheSecond) {
  // Real pauses: attempt 1 reads until 80 + 3 x 7 = 101 ms, the late reply (marked by another
  // address) lands at 200 ms inside the 300 ms pause before attempt 2, which must be answered
  // afresh from address 1.
  ScopedFastSleep realSleep(1);
  Slave().QueueReply(SlaveReply::FromAddress(9).Delayed(200));
  std::uint8_t reply[kPollReplyBufferSize] = {};
  ASSERT_TRUE(ReadOne(reply));
  EXPECT_EQ(reply[0], 1);
  EXPECT_EQ(Slave().RequestCount(), 2u);
}

// Before any serial thread has polled, every attempt pauses 300 ms. Run in a fresh process so
// that no earlier test of this binary has changed PollDelay.
TEST(SerialMasterFreshProcess, EveryAttemptPausesThreeHundredMillisecondsAtFirst) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const bool startValue = PollDelay.load() == kStartPollDelayMs;
        ScopedFastSleep fastSleep;
        PtyMeter meter;
        meter.slave.QueueReply(SlaveReply::Silent());
        std::uint8_t reply[kPollReplyBufferSize];
        SerialTransport link(*meter.port);
        const bool ok = ReadInputRegs(link, 1, reply, 0, 1);
        const bool paused = ScopedFastSleep::Calls() == 2 &&
                            ScopedFastSleep::RequestedMs() == 2 * kStartPollDelayMs;
        std::exit(startValue && ok && paused ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
