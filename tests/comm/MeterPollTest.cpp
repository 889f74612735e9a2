// One poll of one meter over an in-memory serial link that replays the meter's replies: the
// request, decoding, scaling, alarm flags, the online rule, and records from a damaged
// Config.dat.

#include <bit>
#include <cmath>

#include <gtest/gtest.h>

#include "tests/comm/CommTestSupport.h"
#include "tests/support/ReplayLink.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr float kFar = 1e9f;

// A meter on slave 1 whose channels have limits far out of reach, so no flag is set.
void SetUpMeter(TMeterRecord& meter, int channels, std::uint8_t commCode = 0) {
  meter.Clear();
  meter.SlaveAddress = 1;
  meter.ChannelCount = static_cast<std::uint8_t>(channels);
  meter.CommCode = commCode;
  meter.StartRegister = 100;
  for (TChannelRecord& ch : meter.Channels) {
    ch.LLA = -kFar;
    ch.LA = -kFar;
    ch.HA = kFar;
    ch.HHA = kFar;
  }
}

struct Flags {
  int lla, la, ha, hha;
  bool operator==(const Flags&) const = default;
};

Flags FlagsOf(const TMeterRecord& meter, int ch) {
  return {meter.LLAFlags[ch].load(), meter.LAFlags[ch].load(), meter.HAFlags[ch].load(),
          meter.HHAFlags[ch].load()};
}

class MeterPoll : public ::testing::Test {
 protected:
  MeterPoll() : delay_(kStartPollDelayMs) { SetUpMeter(meter_, 1); }

  void Poll() { PollMeter(transport_, meter_); }
  // The meter answers the next request with these registers (an input register read).
  void Answer(const std::vector<std::uint16_t>& registers) {
    link_.QueueReply(ReadReply(1, kFcReadInput, registers));
  }
  // Polls channel 0 with the register `raw`, `decimals` and the given limits.
  float PollOne(std::uint16_t raw, int decimals = 0) {
    Answer({raw});
    meter_.Channels[0].Decimals = static_cast<std::uint8_t>(decimals);
    Poll();
    return meter_.Value(0);
  }

  ScopedFastSleep fastSleep_;
  PollDelayGuard delay_;
  ReplayLink link_;
  SerialTransport transport_{link_};
  TMeterRecord meter_;
};

TEST_F(MeterPoll, RegistersAreSignedBigEndianScaledByTheDecimals) {
  EXPECT_EQ(PollOne(0xFF38, 1), -20.0f);
  EXPECT_EQ(PollOne(0x7FFF), 32767.0f);
  EXPECT_EQ(PollOne(0x8000), -32768.0f);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(PollOne(3, 2)), 0x3CF5C290u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(PollOne(1, 3)), 0x3A83126Eu);
  EXPECT_TRUE(meter_.IsOnline());
}

TEST_F(MeterPoll, CommCodeChoosesInputOrHoldingRegisters) {
  link_.QueueReply(ReadReply(1, kFcReadInput, {11}));
  Poll();
  EXPECT_EQ(meter_.Value(0), 11.0f);
  meter_.CommCode = 1;
  link_.QueueReply(ReadReply(1, kFcReadHolding, {22}));
  Poll();
  EXPECT_EQ(meter_.Value(0), 22.0f);
  const std::vector<Frame> expected = {
      Bytes({0x01, 0x04, 0x00, 0x64, 0x00, 0x01, 0x70, 0x15}),
      Bytes({0x01, 0x03, 0x00, 0x64, 0x00, 0x01, 0xC5, 0xD5}),
  };
  EXPECT_EQ(link_.Requests(), expected);
}

TEST_F(MeterPoll, AllZeroLimitsFlagByTheSignOfTheValue) {
  TChannelRecord& ch = meter_.Channels[0];
  ch.LLA = ch.LA = ch.HA = ch.HHA = 0.0f;
  PollOne(0);
  EXPECT_EQ(FlagsOf(meter_, 0), (Flags{1, 1, 1, 1}));
  PollOne(5);
  EXPECT_EQ(FlagsOf(meter_, 0), (Flags{0, 0, 1, 1}));
  PollOne(static_cast<std::uint16_t>(-5));
  EXPECT_EQ(FlagsOf(meter_, 0), (Flags{1, 1, 0, 0}));
}

TEST_F(MeterPoll, AValueEqualToALimitSetsThatFlagEachFlagOnItsOwn) {
  TChannelRecord& ch = meter_.Channels[0];
  ch.LLA = -2.5f;
  ch.LA = 1.5f;
  ch.HA = 3.0f;
  ch.HHA = 4.5f;
  PollOne(static_cast<std::uint16_t>(-25), 1);
  EXPECT_EQ(FlagsOf(meter_, 0), (Flags{1, 1, 0, 0}));
  PollOne(15, 1);
  EXPECT_EQ(FlagsOf(meter_, 0), (Flags{0, 1, 0, 0}));
  PollOne(20, 1);
  EXPECT_EQ(FlagsOf(meter_, 0), (Flags{0, 0, 0, 0}));
  PollOne(30, 1);
  EXPECT_EQ(FlagsOf(meter_, 0), (Flags{0, 0, 1, 0}));
  PollOne(45, 1);
  EXPECT_EQ(FlagsOf(meter_, 0), (Flags{0, 0, 1, 1}));
}

TEST_F(MeterPoll, FortyEightChannelsAreReadInOneRequestAndAllDecoded) {
  SetUpMeter(meter_, 48, 1);
  std::vector<std::uint16_t> registers(48);
  for (int i = 0; i < 48; ++i) {
    registers[i] = static_cast<std::uint16_t>(i * 1000 - 20000);
    meter_.Channels[i].Decimals = static_cast<std::uint8_t>(i % 5);
  }
  link_.QueueReply(ReadReply(1, kFcReadHolding, registers));
  Poll();
  ASSERT_EQ(link_.RequestCount(), 1u);
  EXPECT_EQ(link_.Requests()[0][5], 48);
  for (int i = 0; i < 48; ++i) {
    EXPECT_EQ(meter_.Value(i), ScaleRegister(static_cast<std::int16_t>(registers[i]), i % 5))
        << "channel " << i;
  }
}

TEST_F(MeterPoll, OnlyTheMetersChannelsAreWritten) {
  SetUpMeter(meter_, 2);
  meter_.Values[2] = 77.0f;
  meter_.HHAFlags[2] = 1;
  Answer({1, 2});
  Poll();
  EXPECT_EQ(meter_.Value(1), 2.0f);
  EXPECT_EQ(meter_.Value(2), 77.0f);
  EXPECT_EQ(meter_.HHAFlags[2].load(), 1);
}

TEST_F(MeterPoll, FifthFailedPollInARowTakesTheMeterOfflineAndOneGoodPollBringsItBack) {
  PollOne(42);
  ASSERT_TRUE(meter_.IsOnline());
  meter_.Channels[0].HA = 10.0f;  // flags of the last good poll must survive the failures
  PollOne(42);
  // No reply queued: the meter is silent.
  for (int failures = 1; failures <= 4; ++failures) {
    Poll();
    EXPECT_EQ(meter_.FailureCount.load(), failures);
    EXPECT_TRUE(meter_.IsOnline());
  }
  Poll();
  EXPECT_EQ(meter_.FailureCount.load(), 5);
  EXPECT_FALSE(meter_.IsOnline());
  Poll();
  EXPECT_EQ(meter_.FailureCount.load(), 5);
  EXPECT_EQ(meter_.Value(0), 42.0f);
  EXPECT_EQ(meter_.HAFlags[0].load(), 1);

  Answer({42});
  Poll();
  EXPECT_TRUE(meter_.IsOnline());
  EXPECT_EQ(meter_.FailureCount.load(), 0);
}

TEST_F(MeterPoll, DamagedRecordFailsItsPollWithoutAnyExchange) {
  auto expectRefused = [&](const char* what) {
    meter_.FailureCount = 0;
    Poll();
    EXPECT_EQ(meter_.FailureCount.load(), 1) << what;
  };
  meter_.CommCode = 2;
  expectRefused("comm code 2");
  SetUpMeter(meter_, 0);
  expectRefused("no channels");
  SetUpMeter(meter_, 49);
  expectRefused("49 channels");
  SetUpMeter(meter_, 3);
  meter_.Channels[2].Decimals = 5;
  expectRefused("5 decimals");
  EXPECT_EQ(ScopedFastSleep::Calls(), 0);
  EXPECT_EQ(link_.RequestCount(), 0u);
}

}  // namespace
