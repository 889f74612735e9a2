// The retry rule of each transport over an in-memory link that replays the meter's replies, and
// one meter poll that sends the same frame and decodes alike over either transport. (The real
// port and socket are exercised by the pty and loopback suites.)

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/comm/CommTestSupport.h"
#include "tests/support/ReplayLink.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kOneRegisterReply = 7;

class TransportRules : public testing::Test {
 protected:
  TransportRules() : delay_(kStartPollDelayMs) {}
  // fc 4, register 0, one register, from slave 1.
  bool ReadOne(ModbusTransport& transport) {
    std::uint8_t reply[kPollReplyBufferSize] = {};
    return ReadInputRegs(transport, 1, reply, 0, 1);
  }

  ScopedFastSleep fastSleep_;
  PollDelayGuard delay_;
  ReplayLink link_;
};

TEST_F(TransportRules, SerialWritesForEachOfThreeAttemptsAndPurgesWhatAFailedOneLeft) {
  SerialTransport serial(link_);
  EXPECT_FALSE(ReadOne(serial));  // silence
  EXPECT_EQ(link_.RequestCount(), 3u);
  EXPECT_EQ(ScopedFastSleep::RequestedMs(), 3 * kStartPollDelayMs);

  // A reply three bytes too long fails the first attempt; its tail must not spoil the second.
  const Frame good = ReadReply(1, kFcReadInput, {5});
  Frame tooLong = ReadReply(1, kFcReadInput, {6});
  tooLong[kOneRegisterReply - 1] ^= 0xFF;
  tooLong.insert(tooLong.end(), {0xAA, 0xBB, 0xCC});
  link_.QueueReply(tooLong);
  link_.QueueReply(good);
  EXPECT_TRUE(ReadOne(serial));
  EXPECT_EQ(link_.RequestCount(), 5u);
}

TEST_F(TransportRules, TcpSendsOnceAndReceivesUpToThreeTimesAfterSettingItsTimeOuts) {
  SocketTransport socket(link_);
  const Frame good = ReadReply(1, kFcReadInput, {5});
  link_.QueueSegments({Frame(good.begin(), good.begin() + 3), Frame(good.begin() + 3, good.end())});
  EXPECT_FALSE(ReadOne(socket));
  EXPECT_EQ(link_.RequestCount(), 1u);
  EXPECT_EQ(ScopedFastSleep::Calls(), 3);
  EXPECT_EQ(ScopedFastSleep::RequestedMs(), 3 * kStartPollDelayMs);
  EXPECT_EQ(link_.Timeouts(), std::make_pair(kSocketTimeoutMs, kSocketTimeoutMs));

  link_.Connect();
  link_.QueueReply(good);
  EXPECT_TRUE(ReadOne(socket));
  EXPECT_EQ(link_.RequestCount(), 2u);
}

TEST_F(TransportRules, TcpWithoutAConnectionFailsAtOnceWithoutPauseOrSend) {
  SocketTransport socket(link_);
  link_.Disconnect();
  EXPECT_FALSE(ReadOne(socket));
  EXPECT_EQ(ScopedFastSleep::Calls(), 0);
  EXPECT_EQ(link_.RequestCount(), 0u);
}

enum class Kind { Serial, Tcp };

std::unique_ptr<ModbusTransport> TransportOver(Kind kind, ReplayLink& link) {
  if (kind == Kind::Serial) return std::make_unique<SerialTransport>(link);
  return std::make_unique<SocketTransport>(link);
}

class PollOverEither : public TransportRules, public testing::WithParamInterface<Kind> {};

TEST_P(PollOverEither, SendsTheSameFrameAndDecodesTheReply) {
  const std::unique_ptr<ModbusTransport> transport = TransportOver(GetParam(), link_);
  TMeterRecord meter;
  SetUpDecodeMeter(meter);
  link_.QueueReply(ReadReply(1, kFcReadHolding, kDecodeMeterRegisters));
  PollMeter(*transport, meter);
  EXPECT_EQ(link_.Requests(), std::vector<Frame>{Bytes({1, 3, 0, 40, 0, 2, 0x44, 0x03})});
  ExpectDecodeMeterPolled(meter);
}

INSTANTIATE_TEST_SUITE_P(Transports, PollOverEither, testing::Values(Kind::Serial, Kind::Tcp),
                         [](const testing::TestParamInfo<Kind>& info) {
                           return std::string(info.param == Kind::Serial ? "Serial" : "Tcp");
                         });

}  // namespace
