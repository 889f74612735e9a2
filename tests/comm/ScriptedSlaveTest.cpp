// The scripted meter that the comm suites lean on: what it answers to frames the master never
// sends, so that a suite that relies on its silence or its exceptions relies on something true.

#include <gtest/gtest.h>

#include <atomic>

#include "platform/ClientSocket.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/SimIo.h"

namespace {

Frame WithCrc(Frame frame) {
  AppendSlaveCrc(frame);
  return frame;
}

class ScriptedSlaveFrames : public ::testing::Test {
 protected:
  ScriptedSlaveFrames() : pty_({1, 2}) {}

  // Sends the frame (CRC appended unless `withCrc` is false) and returns what comes back.
  Frame Exchange(Frame frame, bool withCrc = true) {
    if (withCrc) AppendSlaveCrc(frame);
    const std::size_t before = pty_.slave.RequestCount();
    pty_.port->Write(frame.data(), static_cast<int>(frame.size()));
    EXPECT_TRUE(pty_.slave.WaitForRequests(before + 1, 2000));
    EXPECT_TRUE(pty_.slave.WaitForIdle(2000));
    std::uint8_t buffer[64];
    const int n = pty_.port->Read(buffer, sizeof buffer);
    return Frame(buffer, buffer + n);
  }
  PtyMeter pty_;
};

TEST_F(ScriptedSlaveFrames, EachServedAddressHasItsOwnRegisters) {
  pty_.slave.SetInput(1, 5, 0x1111);
  pty_.slave.SetInput(2, 5, 0x2222);
  EXPECT_EQ(Exchange(Bytes({2, 4, 0, 5, 0, 1})), WithCrc(Bytes({2, 4, 2, 0x22, 0x22})));
  EXPECT_EQ(Exchange(Bytes({1, 4, 0, 5, 0, 1})), WithCrc(Bytes({1, 4, 2, 0x11, 0x11})));
}

TEST_F(ScriptedSlaveFrames, UnservedAddressAndDamagedFramesGetNoAnswerButAreRecorded) {
  EXPECT_TRUE(Exchange(Bytes({3, 4, 0, 0, 0, 1})).empty());
  EXPECT_TRUE(Exchange(Bytes({1, 4, 0, 0, 0, 1, 0x00, 0x00}), false).empty());
  EXPECT_EQ(pty_.slave.RequestCount(), 2u);
  EXPECT_EQ(pty_.slave.Requests()[1], Bytes({1, 4, 0, 0, 0, 1, 0x00, 0x00}));
}

TEST_F(ScriptedSlaveFrames, RequestsOutsideWhatAMeterServesGetExceptionReplies) {
  EXPECT_EQ(Exchange(Bytes({1, 16, 0, 0, 0, 1})), WithCrc(Bytes({1, 0x90, 1})));
  EXPECT_EQ(Exchange(Bytes({1, 3, 0, 0, 0, 0})), WithCrc(Bytes({1, 0x83, 3})));
  EXPECT_EQ(Exchange(Bytes({1, 3, 0, 0, 0, 126})), WithCrc(Bytes({1, 0x83, 3})));
  EXPECT_EQ(Exchange(Bytes({1, 4, 0xFF, 0xFF, 0, 2})), WithCrc(Bytes({1, 0x84, 2})));
}

TEST_F(ScriptedSlaveFrames, ScriptedExceptionRefusesAWriteAndSilenceStillTakesIt) {
  pty_.slave.QueueReply(SlaveReply::ExceptionReply(4));
  EXPECT_EQ(Exchange(Bytes({1, 6, 0, 31, 0, 9})), WithCrc(Bytes({1, 0x86, 4})));
  EXPECT_EQ(pty_.slave.Holding(1, 31), 0);
  pty_.slave.QueueReply(SlaveReply::Silent());
  EXPECT_TRUE(Exchange(Bytes({1, 6, 0, 31, 0, 9})).empty());
  EXPECT_EQ(pty_.slave.Holding(1, 31), 9);
}

TEST(ScriptedSlaveTcp, EveryConnectionIsServedAndCounted) {
  ScriptedSlave slave;
  TClientSocket socket;
  socket.Address = "127.0.0.1";
  socket.Port = slave.StartTcp();
  const Frame request = WithCrc(Bytes({1, 4, 0, 0, 0, 1}));
  for (int connection = 1; connection <= 3; ++connection) {
    socket.Open();
    socket.SetTimeouts(2000, 2000);
    ASSERT_EQ(socket.SendBuf(request.data(), 8), 8);
    std::uint8_t reply[7];
    EXPECT_EQ(socket.ReceiveBuf(reply, 7), 7);
    socket.Close();
  }
  EXPECT_TRUE(WaitUntil([&] { return slave.TcpAccepts() == 3; }));
}

// A frame longer than the channel's read buffer arrives whole: each read asks for no more than
// the buffer holds.
TEST(SimChannelRead, AFrameLongerThanOneReadChunkArrivesWhole) {
  constexpr std::size_t kLength = 600;
  Frame sent(kLength);
  for (std::size_t i = 0; i < kLength; ++i) sent[i] = static_cast<std::uint8_t>(i * 7);
  Frame received;
  std::atomic<bool> done{false};
  PtyServer server;
  server.Start([&](SimChannel& channel) {
    if (done.load()) return;
    channel.ReadRequest(received, kLength, 500);
    done.store(true);
  });
  const ComHandle handle = OpenSerialPort(server.SlavePath(), 9600);
  const std::shared_ptr<ComPort> port = ComPortFromHandle(handle);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->Write(sent.data(), static_cast<int>(kLength)), static_cast<int>(kLength));
  EXPECT_TRUE(WaitUntil([&] { return done.load(); }));
  server.Stop();
  EXPECT_EQ(received, sent);
  CloseComHandle(handle);
}

}  // namespace
