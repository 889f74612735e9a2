// The Modbus RTU master on raw TCP against a scripted meter on a loopback listener: one send, up
// to three receives, and the meter poll over the socket.

#include <gtest/gtest.h>

#include "platform/ClientSocket.h"
#include "platform/Clock.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

class SocketMaster : public ::testing::Test {
 protected:
  SocketMaster() : delay_(kStartPollDelayMs) {}
  void SetUp() override {
    socket_.Address = "127.0.0.1";
    socket_.Port = slave_.StartTcp();
    // As the station's handler does: clear the error and drop the connection.
    socket_.OnError = [](TClientSocket& socket, int& code) {
      code = 0;
      socket.Close();
    };
    socket_.Open();
    ASSERT_TRUE(socket_.Active());
  }

  bool ReadOne(std::uint8_t* reply) { return ReadInputRegs(link_, 1, reply, 0, 1); }

  ScopedFastSleep fastSleep_;
  PollDelayGuard delay_;
  ScriptedSlave slave_;
  TClientSocket socket_;
  SocketTransport link_{socket_};
};

TEST_F(SocketMaster, GoodReplyOverRawTcpCarriesTheRtuFrame) {
  slave_.SetHolding(1, 7, 0x0102);
  std::uint8_t reply[kPollReplyBufferSize] = {};
  ASSERT_TRUE(ReadHoldingRegs(link_, 1, reply, 7, 1));
  EXPECT_EQ(reply[3], 0x01);
  EXPECT_EQ(reply[4], 0x02);
  ASSERT_TRUE(ReadOne(reply));
  const std::vector<Frame> expected = {
      Bytes({0x01, 0x03, 0x00, 0x07, 0x00, 0x01, 0x35, 0xCB}),
      Bytes({0x01, 0x04, 0x00, 0x00, 0x00, 0x01, 0x31, 0xCA}),
  };
  EXPECT_EQ(slave_.Requests(), expected);
  EXPECT_EQ(ScopedFastSleep::Calls(), 2);
}

TEST_F(SocketMaster, FailedAttemptsOnlyReceiveAgainWithoutASecondSend) {
  slave_.SetDefaultReply(SlaveReply::Silent());
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_FALSE(ReadOne(reply));
  EXPECT_EQ(ScopedFastSleep::Calls(), 3);
  EXPECT_EQ(ScopedFastSleep::RequestedMs(), 3 * kStartPollDelayMs);
  RealSleepMs(2 * ScriptedSlave::kInterByteTimeoutMs);
  EXPECT_EQ(slave_.RequestCount(), 1u);
}

TEST_F(SocketMaster, ReplyWithinTheReceiveTimeOutIsTaken) {
  slave_.QueueReply(SlaveReply::Late(150));
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_TRUE(ReadOne(reply));
  EXPECT_EQ(ScopedFastSleep::Calls(), 1);
}

TEST_F(SocketMaster, ReplyAfterTheReceiveTimeOutIsLostWithTheConnection) {
  // The time-out's error handler closes the connection, so the later receives get nothing.
  slave_.QueueReply(SlaveReply::Late(400));
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_FALSE(ReadOne(reply));
  EXPECT_FALSE(socket_.Active());
  EXPECT_EQ(ScopedFastSleep::Calls(), 3);
}

TEST_F(SocketMaster, ReplyInTwoSegmentsFailsEveryAttempt) {
  slave_.QueueReply(SlaveReply::Split(3, 100));
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_FALSE(ReadOne(reply));
  EXPECT_EQ(ScopedFastSleep::Calls(), 3);
  EXPECT_EQ(slave_.RequestCount(), 1u);
}

TEST_F(SocketMaster, SocketThatIsNotConnectedFailsAtOnceWithoutSleeping) {
  socket_.Close();
  std::uint8_t reply[kPollReplyBufferSize];
  EXPECT_FALSE(ReadOne(reply));
  EXPECT_EQ(ScopedFastSleep::Calls(), 0);
}

TEST_F(SocketMaster, SwappedCrcAndExceptionRepliesFail) {
  slave_.SetInput(1, 0, 1);
  for (const SlaveReply& bad : {SlaveReply::SwappedCrc(), SlaveReply::ExceptionReply(1)}) {
    slave_.SetDefaultReply(bad);
    if (!socket_.Active()) socket_.Open();
    std::uint8_t reply[kPollReplyBufferSize];
    EXPECT_FALSE(ReadOne(reply));
  }
}

TEST_F(SocketMaster, MeterPollOverTcpDecodesLikeTheSerialOne) {
  TMeterRecord meter;
  SetUpDecodeMeter(meter);
  slave_.SetHoldingBlock(1, 40, kDecodeMeterRegisters);
  PollMeter(link_, meter);
  ExpectDecodeMeterPolled(meter);

  socket_.Close();
  PollMeter(link_, meter);
  EXPECT_EQ(meter.FailureCount.load(), 1);
}

}  // namespace
