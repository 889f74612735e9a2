#include "common/MeterRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>

#include "common/FixedText.h"

namespace {

const unsigned char* Bytes(const TMeterStored& m) {
  return reinterpret_cast<const unsigned char*>(&m);
}

bool SameStored(const TMeterRecord& a, const TMeterRecord& b) {
  return std::memcmp(&a.Stored(), &b.Stored(), sizeof(TMeterStored)) == 0;
}

// A record with every stored byte and every run-time field set to something recognisable.
std::unique_ptr<TMeterRecord> FilledRecord() {
  auto m = std::make_unique<TMeterRecord>();
  auto* bytes = reinterpret_cast<unsigned char*>(&m->Stored());
  for (std::size_t i = 0; i < sizeof(TMeterStored); ++i) {
    bytes[i] = static_cast<unsigned char>(i * 7 + 1);
  }
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    m->Values[ch].store(static_cast<float>(ch) + 0.5f);
    m->LLAFlags[ch].store(ch % 2);
    m->LAFlags[ch].store((ch + 1) % 2);
    m->HAFlags[ch].store(ch % 3 == 0);
    m->HHAFlags[ch].store(ch == 47);
  }
  m->FailureCount.store(4);
  m->Online.store(1);
  return m;
}

void ExpectSameRuntime(const TMeterRecord& a, const TMeterRecord& b) {
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    EXPECT_EQ(a.Value(ch), b.Value(ch)) << ch;
    EXPECT_EQ(a.LLAFlags[ch].load(), b.LLAFlags[ch].load()) << ch;
    EXPECT_EQ(a.LAFlags[ch].load(), b.LAFlags[ch].load()) << ch;
    EXPECT_EQ(a.HAFlags[ch].load(), b.HAFlags[ch].load()) << ch;
    EXPECT_EQ(a.HHAFlags[ch].load(), b.HHAFlags[ch].load()) << ch;
  }
  EXPECT_EQ(a.FailureCount.load(), b.FailureCount.load());
  EXPECT_EQ(a.Online.load(), b.Online.load());
}

TEST(MeterRecord, CopiesMoveTheWholeRecord) {
  // A delete moves whole records: the stored block byte for byte and the run-time part.
  const auto from = FilledRecord();
  auto to = std::make_unique<TMeterRecord>();
  *to = *from;
  EXPECT_TRUE(SameStored(*to, *from));
  ExpectSameRuntime(*to, *from);
  const auto copy = std::make_unique<TMeterRecord>(*from);
  EXPECT_TRUE(SameStored(*copy, *from));
  ExpectSameRuntime(*copy, *from);
  TMeterRecord& alias = *to;
  *to = alias;
  EXPECT_TRUE(SameStored(*to, *from));
  ExpectSameRuntime(*to, *from);
}

TEST(MeterRecord, ClearRuntimeKeepsTheStoredPartAndClearZeroesAll) {
  auto m = FilledRecord();
  const auto reference = FilledRecord();
  const auto zero = std::make_unique<TMeterRecord>();
  m->ClearRuntime();
  EXPECT_TRUE(SameStored(*m, *reference));
  ExpectSameRuntime(*m, *zero);
  EXPECT_FALSE(m->AnyAlarmFlag(0));
  m = FilledRecord();
  m->Clear();
  EXPECT_TRUE(SameStored(*m, *zero));
  ExpectSameRuntime(*m, *zero);
}

TEST(MeterRecord, AnyAlarmFlagLooksAtAllFourFlags) {
  auto m = std::make_unique<TMeterRecord>();
  for (auto* flags : {m->LLAFlags, m->LAFlags, m->HAFlags, m->HHAFlags}) {
    flags[5].store(1);
    EXPECT_TRUE(m->AnyAlarmFlag(5));
    EXPECT_FALSE(m->AnyAlarmFlag(4));
    flags[5].store(0);
  }
  EXPECT_FALSE(m->AnyAlarmFlag(5));
}

TEST(MeterRecord, FullLengthNamesEndInsideTheirFields) {
  auto m = std::make_unique<TMeterRecord>();
  std::memset(&m->Stored(), 0xAA, sizeof(TMeterStored));
  WriteFixedText(m->Name, std::string(39, 'M') + "cut");
  EXPECT_EQ(Bytes(*m)[34], 0xAA);  // the IP address field stays untouched
  for (int offset = 35; offset <= 73; ++offset) ASSERT_EQ(Bytes(*m)[offset], 'M') << offset;
  EXPECT_EQ(Bytes(*m)[74], 0);
  EXPECT_EQ(Bytes(*m)[75], 0xAA);  // channel 0 starts untouched
  EXPECT_EQ(ReadFixedText(m->Name), std::string(39, 'M'));
  // Channel 47 starts at 3,882; its name ends on the last byte of the block.
  WriteFixedText(m->Channels[47].Name, std::string(39, 'c'));
  EXPECT_EQ(Bytes(*m)[3882 + 41], 'c');
  EXPECT_EQ(Bytes(*m)[3961], 'c');
  EXPECT_EQ(Bytes(*m)[3962], 0);
}

TEST(MeterPollable, RefusesOnlyValuesThatWouldIndexPastATable) {
  auto m = std::make_unique<TMeterRecord>();
  m->ChannelCount = kMaxChannels;
  m->CommCode = 1;
  m->CommMode = 255;  // Ethernet, like any non-zero mode
  std::memset(m->Reserved, 0xFF, sizeof m->Reserved);
  for (int ch = 0; ch < kMaxChannels; ++ch) m->Channels[ch].Decimals = kMaxDecimals;
  EXPECT_TRUE(MeterPollable(*m));
  for (const std::uint8_t count : {0, kMaxChannels + 1, 255}) {
    m->ChannelCount = count;
    EXPECT_FALSE(MeterPollable(*m)) << int(count);
  }
  m->ChannelCount = 3;
  m->CommCode = 2;
  EXPECT_FALSE(MeterPollable(*m));
  m->CommCode = 0;
  m->Channels[2].Decimals = kMaxDecimals + 1;
  EXPECT_FALSE(MeterPollable(*m));
  m->Channels[2].Decimals = 0;
  m->Channels[3].Decimals = 255;  // behind the count: not looked at
  EXPECT_TRUE(MeterPollable(*m));
}

TEST(InUse, DamagedCountsNeverReachPastTheTables) {
  auto table = std::make_unique<MeterTable>();
  for (const auto& [stored, used] : {std::pair{-3, 0}, {0, 0}, {120, 120}, {121, 120}}) {
    table->MeterCount = stored;
    EXPECT_EQ(MetersInUse(*table), used) << stored;
  }
  TMeterStored& meter = table->Meters[0];
  for (const auto& [stored, used] : {std::pair{0, 0}, {48, 48}, {49, 48}, {255, 48}}) {
    meter.ChannelCount = static_cast<std::uint8_t>(stored);
    EXPECT_EQ(ChannelsInUse(meter), used) << stored;
  }
}

}  // namespace
