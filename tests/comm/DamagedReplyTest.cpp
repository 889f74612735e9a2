// Line noise instead of replies: random bytes of random lengths from the scripted meter, over a
// pty and over loopback TCP. Every such poll fails as a whole: the meter's values and alarm
// flags stay as the last good poll left them, and only its failure count moves.

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "platform/ClientSocket.h"
#include "tests/comm/CommTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kChannels = 2;
constexpr int kReplyLength = 5 + 2 * kChannels;  // what the master waits for
constexpr int kLongestNoise = kPollReplyBufferSize + 20;
constexpr int kNoisyPolls = 8;  // each costs up to three read time-outs

// Random bytes of a random length that never form the expected reply: when they happen to be
// as long as it and to carry its CRC, the last byte is changed.
Frame Noise(std::mt19937& random) {
  std::uniform_int_distribution<std::size_t> length(0, kLongestNoise);
  const std::string bytes = RandomBytes(random, length(random));
  Frame noise(bytes.begin(), bytes.end());
  if (noise.size() >= kReplyLength && ReplyIntact(noise.data(), kReplyLength, kReplyLength)) {
    noise[kReplyLength - 1] ^= 0xFF;
  }
  return noise;
}

// A reply of the right length whose CRC is that of other bytes.
Frame RightLengthBadCrc(std::mt19937& random) {
  Frame noise = Noise(random);
  noise.resize(kReplyLength, 0x5A);
  if (ReplyIntact(noise.data(), kReplyLength, kReplyLength)) noise.back() ^= 0xFF;
  return noise;
}

class DamagedReply : public ::testing::Test {
 protected:
  DamagedReply() : delay_(kStartPollDelayMs) {
    meter_.Clear();
    meter_.SlaveAddress = 1;
    meter_.ChannelCount = kChannels;
    for (TChannelRecord& ch : meter_.Channels) {
      ch.LLA = -1000.0f;
      ch.LA = 0.0f;
      ch.HA = 20.0f;
      ch.HHA = 1000.0f;
    }
  }

  // One good poll: channel 0 reads 25 (above HA), channel 1 reads -3 (below LA).
  void GoodPoll(ScriptedSlave& slave, const std::function<void()>& poll) {
    slave.SetInputBlock(1, 0, {25, static_cast<std::uint16_t>(-3)});
    slave.SetDefaultReply(SlaveReply::Answer());
    poll();
    ASSERT_TRUE(meter_.IsOnline());
    ASSERT_EQ(meter_.Value(0), 25.0f);
    ASSERT_EQ(meter_.FailureCount.load(), 0);
  }

  // Polls kNoisyPolls times, every request answered by fresh noise (`requestsPerPoll`: the
  // serial master sends one per attempt, the TCP master one per poll); after each poll the
  // values and flags are those of the good poll and the failures are counted up to 5.
  void NoisyPolls(ScriptedSlave& slave, const std::function<void()>& poll, int requestsPerPoll,
                  unsigned seed) {
    std::mt19937 random(seed);
    for (int p = 0; p < kNoisyPolls; ++p) {
      SCOPED_TRACE("poll " + std::to_string(p));
      for (int request = 0; request < requestsPerPoll; ++request) {
        const Frame bytes = request == 0 && p % 2 == 1 ? RightLengthBadCrc(random) : Noise(random);
        slave.QueueReply(SlaveReply::RawBytes(bytes));
      }
      poll();
      ExpectGoodPollKept(std::min(p + 1, 5));
      ASSERT_TRUE(slave.WaitForIdle(2000));
    }
    EXPECT_EQ(slave.RequestCount(), 1u + kNoisyPolls * requestsPerPoll) << "every request answered";
  }

  void ExpectGoodPollKept(int failures) {
    EXPECT_EQ(meter_.Value(0), 25.0f);
    EXPECT_EQ(meter_.Value(1), -3.0f);
    EXPECT_EQ(meter_.HAFlags[0].load(), 1);
    EXPECT_EQ(meter_.HHAFlags[0].load(), 0);
    EXPECT_EQ(meter_.LAFlags[1].load(), 1);
    EXPECT_EQ(meter_.LLAFlags[1].load(), 0);
    for (int ch = kChannels; ch < kMaxChannels; ++ch) EXPECT_EQ(meter_.Value(ch), 0.0f) << ch;
    EXPECT_EQ(meter_.FailureCount.load(), failures);
    EXPECT_EQ(meter_.IsOnline(), failures < 5);
  }

  ScopedFastSleep fastSleep_;
  PollDelayGuard delay_;
  TMeterRecord meter_;
};

TEST_F(DamagedReply, NoiseOnTheSerialLineFailsThePollAndKeepsTheValues) {
  PtyMeter pty;
  SerialTransport link(*pty.port);
  const auto poll = [&] { PollMeter(link, meter_); };
  GoodPoll(pty.slave, poll);
  NoisyPolls(pty.slave, poll, kMaxTransactAttempts, 20240305);
}

TEST_F(DamagedReply, NoiseOverTcpFailsThePollAndKeepsTheValues) {
  ScriptedSlave slave;
  TClientSocket socket;
  socket.Address = "127.0.0.1";
  socket.Port = slave.StartTcp();
  // As the station's handler does: clear the error and drop the connection.
  socket.OnError = [](TClientSocket& s, int& code) {
    code = 0;
    s.Close();
  };
  SocketTransport link(socket);
  // As the Ethernet thread does: a connection of its own for every poll.
  const auto poll = [&] {
    socket.Open();
    PollMeter(link, meter_);
    socket.Close();
  };
  GoodPoll(slave, poll);
  NoisyPolls(slave, poll, 1, 7340);
}

}  // namespace
