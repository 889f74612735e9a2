// The SMS alarm through the cycle, on a GSM port that is a pty: what the station writes is read
// back raw by a slave that answers nothing. The page's settings are given as plain values.

#include "station/app/supervision/SmsAlarm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Cp936.h"
#include "station/comm/ComPortAccess.h"
#include "station/comm/MeterComm.h"
#include "tests/app/supervision/CycleFixture.h"

namespace {

class SmsAlarmTest : public CycleFixture {
 protected:
  SmsAlarmTest() : gsm(dir.Path()) {
    view.SmsOn = true;  // run mode, switched on
    view.Page.AlarmEnabled = true;
    view.Page.ComIndex = kGsmCom - 1;
    view.Page.ReloadText = "1";
    view.Page.AlarmText = "ALARM";
  }

  // The Boiler with `channels` channels, then run mode's start and the channels in alarm.
  TMeterRecord& AlarmedBoiler(int channels) {
    TMeterRecord& meter = AddBoiler(Table(), channels);
    StartRun();  // clears the flags of the channels in use
    for (int c = 0; c < channels; ++c) meter.HAFlags[c] = 1;
    return meter;
  }
  // A tick without alarm (its meter offline, the flags kept) resets the SMS state.
  void QuietTick(TMeterRecord& meter) {
    meter.Online = 0;
    Tick();
    meter.Online = 1;
    second_ = 0;
  }

  void SetDelay(int seconds) { view.Page.DelayText = std::to_string(seconds); }
  void SetNumber(int row, const char* number) { view.Page.Numbers[row - 1] = number; }
  // Runs alarm ticks; returns the alarm seconds (counted from 1) in which a message went out.
  std::vector<int> SendSeconds(int ticks) {
    std::vector<int> seconds;
    for (int i = 0; i < ticks; ++i) {
      Tick();
      ++second_;
      if (Caption() == kSentCaption) seconds.push_back(second_);
    }
    return seconds;
  }
  std::string Caption() const { return view.SmsCaption; }
  std::string Received(std::size_t count) const { return gsm.Received(count); }

  GsmPort gsm;
  int second_ = 0;
};

// ---- Composition on the wire ---------------------------------------------------------------

TEST_F(SmsAlarmTest, AListingTooLongForOneMessageGoesOutInPartsTwentySecondsApart) {
  AlarmedBoiler(5);
  SetDelay(2);
  SetNumber(1, kNumber);
  EXPECT_EQ(SendSeconds(23), (std::vector<int>{2, 22}));
  // 20 head bytes and three 40-byte entries make exactly 140: they fit; the fourth would not.
  const std::string first =
      SmsHead(kNumber) + BoilerEntry(1) + BoilerEntry(2) + BoilerEntry(3) + "\r\n";
  const std::string second = SmsHead(kNumber) + BoilerEntry(4) + BoilerEntry(5) + "\r\n";
  EXPECT_EQ(Received(first.size() + second.size()), first + second);
  EXPECT_EQ(cycle.Sms().PhoneRowIndex(), 2);  // row 1 done in two messages, row 2 passed over
}

TEST_F(SmsAlarmTest, ALongAlarmTextGivesWaySoThatEveryMessageNamesTheAlarmedChannel) {
  AlarmedBoiler(1);
  SetDelay(2);
  SetNumber(1, kNumber);
  SetNumber(2, "13900139000");
  const std::string text(130, 'A');  // a head of 145 bytes
  view.Page.AlarmText = text;
  EXPECT_EQ(SendSeconds(23), (std::vector<int>{2, 22}));
  // 15 bytes of head around the text and a 40-byte entry leave 85 bytes of it: 140 in all.
  const std::string first = SmsHead(kNumber, text.substr(0, 85)) + BoilerEntry(1) + "\r\n";
  const std::string second = SmsHead("13900139000", text.substr(0, 85)) + BoilerEntry(1) + "\r\n";
  EXPECT_EQ(Received(first.size() + second.size()), first + second);
}

TEST_F(SmsAlarmTest, ThePowerOffLineFollowsTheFirstChannelOfTheFirstMeterOnly) {
  TMeterRecord& pump = AddMeter("Pump", {"P0", "P1"}, kNoTextRows);
  for (int c = 0; c < 2; ++c) {
    WriteFixedText(pump.Channels[c].Unit, "bar");
    pump.Values[c] = 3.0f;
  }
  view.Page.AlarmText = "测量数据超限！\nline 2";
  view.Page.PowerChannelText = "2";  // shown only; never consulted
  SetDelay(1);
  SetNumber(1, kNumber);
  StartRun();
  const std::string head = SmsHead(kNumber, Utf8ToCp936("测量数据超限！") + "\r\nline 2");
  const std::string powerOff = Utf8ToCp936("系统断电!!") + "\n";
  struct Case {
    int channel;
    bool powerSwitch;
    std::string expected;
  };
  const Case cases[] = {
      {0, true, head + powerOff + "Pump--P0\t3bar\n\r\n"},
      {1, true, head + "Pump--P1\t3bar\n\r\n"},
      {0, false, head + "Pump--P0\t3bar\n\r\n"},
  };
  std::string all;
  for (const Case& c : cases) {
    view.Page.PowerOffAlarm = c.powerSwitch;
    pump.HAFlags[c.channel] = 1;
    EXPECT_EQ(SendSeconds(1), std::vector<int>{1});
    pump.HAFlags[c.channel] = 0;
    QuietTick(pump);
    all += c.expected;
  }
  EXPECT_EQ(Received(all.size()), all);
}

TEST_F(SmsAlarmTest, AChannelOfAnOfflineMeterWithItsFlagsStillSetIsListedAsErr) {
  TMeterRecord& online = AddMeter("A", {"a"}, kNoTextRows);
  TMeterRecord& offline = AddMeter("B", {"b"}, kNoTextRows);
  WriteFixedText(online.Channels[0].Unit, "kPa");
  WriteFixedText(offline.Channels[0].Unit, "m");
  online.Values[0] = 1.0f;
  offline.Online = 0;
  SetDelay(1);
  SetNumber(1, kNumber);
  StartRun();
  online.HHAFlags[0] = 1;
  offline.LLAFlags[0] = 1;
  EXPECT_EQ(SendSeconds(1), std::vector<int>{1});
  const std::string expected = SmsHead(kNumber) + "A--a\t1kPa\n" + "B--b\tERRm\n" + "\r\n";
  EXPECT_EQ(Received(expected.size()), expected);
}

// ---- Sequence ------------------------------------------------------------------------------

TEST_F(SmsAlarmTest, RowsWithoutAnElevenByteNumberArePassedOverAtOneRowASecond) {
  TMeterRecord& meter = AlarmedBoiler(1);
  SetNumber(1, "138001380001");                  // 12 bytes
  SetNumber(2, "一二三四五六七八九十一");        // 11 characters, 22 bytes
  SetNumber(3, kNumber);
  struct Case {
    int delay;
    std::vector<int> sent;
  };
  // Row 3 is reached in second 3: a smaller delay has passed by then, and it is sent at once.
  for (const Case& c : {Case{3, {3}}, Case{5, {5}}, Case{2, {3}}}) {
    SetDelay(c.delay);
    QuietTick(meter);
    EXPECT_EQ(SendSeconds(8), c.sent) << "delay " << c.delay;
  }
  const std::string expected = SmsHead(kNumber) + BoilerEntry(1) + "\r\n";
  EXPECT_EQ(Received(3 * expected.size()), expected + expected + expected);
}

TEST_F(SmsAlarmTest, AfterTheTenthRowTheNextSweepStartsReloadMinutesLater) {
  AlarmedBoiler(1);
  SetDelay(5);
  SetNumber(3, kNumber);
  SetNumber(4, "13900139000");
  // Rows 3 and 4 in seconds 5 and 25, rows 5..10 passed in 26..31: the counter restarts at
  // 5 - 60, so row 3 is reached again in second 91.
  EXPECT_EQ(SendSeconds(95), (std::vector<int>{5, 25, 91}));
}

TEST_F(SmsAlarmTest, WithoutAValidNumberTheRowsPassInTenSecondsAndTheSweepRestartsUnsent) {
  TMeterRecord& meter = AlarmedBoiler(1);
  SetDelay(5);  // Reload is 1 minute
  EXPECT_TRUE(SendSeconds(10).empty());
  EXPECT_EQ(Caption(), "延时计时：  10");
  EXPECT_EQ(cycle.Sms().SmsCounter(), 5 - 60);
  EXPECT_EQ(cycle.Sms().PhoneRowIndex(), 0);
  EXPECT_TRUE(SendSeconds(100).empty());
  EXPECT_EQ(Received(0), "");

  // Neither text a whole number: the restart fails on Delay, which it converts first.
  QuietTick(meter);
  view.Page.DelayText = "5s";
  view.Page.ReloadText = "1m";
  SendSeconds(10);
  EXPECT_EQ(reports, Reports{"'5s' is not a valid integer value"});
}

TEST_F(SmsAlarmTest, TheFirstValidRowGetsItsMessageOnceTheAlarmHasLastedItsDelay) {
  TMeterRecord& meter = AlarmedBoiler(1);
  struct Case {
    int delay;
    std::vector<const char*> numbers;  // rows 1.. ; the rest empty
    int sent;
    int counter;  // shown after 42 seconds: restarted at Delay - 60 when row 10 was passed
  };
  const Case cases[] = {
      {1, {"", kNumber}, 2, 1 - 60 + 32},  // row 10 passed in second 10
      {2, {"1380013800", "138001380001", kNumber}, 3, 2 - 60 + 32},
      {0, {kNumber}, 1, 0 - 60 + 32},
      {-2, {kNumber}, 1, -2 - 60 + 32},
      {5, {"", "", kNumber}, 5, 5 - 60 + 30},  // rows passed well within the delay; row 10 in 12
  };
  for (const Case& c : cases) {
    for (int row = 1; row <= 10; ++row) {
      SetNumber(row, row <= static_cast<int>(c.numbers.size()) ? c.numbers[row - 1] : "");
    }
    SetDelay(c.delay);
    QuietTick(meter);
    EXPECT_EQ(SendSeconds(42), std::vector<int>{c.sent}) << "delay " << c.delay;
    EXPECT_EQ(Caption(), "延时计时：  " + std::to_string(c.counter)) << "delay " << c.delay;
  }
  const std::string message = SmsHead(kNumber) + BoilerEntry(1) + "\r\n";
  std::string all;
  for (int i = 0; i < 5; ++i) all += message;
  EXPECT_EQ(Received(all.size()), all);
}

TEST_F(SmsAlarmTest, LaterMessagesAndRoundsKeepTheirTimingFromALateFirstMessage) {
  TMeterRecord& meter = AlarmedBoiler(5);  // each listing takes two messages
  SetDelay(1);
  SetNumber(2, kNumber);
  SetNumber(3, "13900139000");
  // Row 2 in seconds 2 and 22, row 3 in 42 and 62; rows 4..10 passed in 63..69, and the next
  // round's first message 60 seconds after that.
  EXPECT_EQ(SendSeconds(130), (std::vector<int>{2, 22, 42, 62, 129}));

  // A Reload of 0 starts the next round at once, but no sooner than 20 s after the last message.
  for (int c = 1; c < 5; ++c) meter.HAFlags[c] = 0;
  view.Page.ReloadText = "0";
  SetNumber(2, "");
  SetNumber(3, "");
  SetNumber(1, kNumber);
  SetNumber(10, "13900139000");
  QuietTick(meter);
  EXPECT_EQ(SendSeconds(61), (std::vector<int>{1, 21, 41, 61}));
}

TEST_F(SmsAlarmTest, AGsmPortHeldElsewhereFailsTheOpenAndNoLaterSecondOfThatAlarmSends) {
  TMeterRecord& meter = AlarmedBoiler(1);
  SetDelay(2);
  SetNumber(1, kNumber);
  ComHandle held = kComNeverOpened;  // as a polling thread holds its port
  ASSERT_TRUE(OpenComPort(held, kGsmCom - 1, 2));
  EXPECT_TRUE(SendSeconds(2).empty());
  EXPECT_EQ(Caption(), "延时计时：  2");
  CloseComPort(held);
  EXPECT_TRUE(SendSeconds(40).empty());
  EXPECT_EQ(Received(0), "");

  QuietTick(meter);  // the next alarm starts afresh
  EXPECT_EQ(SendSeconds(2), std::vector<int>{2});
}

TEST_F(SmsAlarmTest, TheCounterShowsInItsLabelOnlyWhileTheAlarmIsOn) {
  TMeterRecord& meter = AlarmedBoiler(1);
  SetDelay(30);
  Tick();
  EXPECT_EQ(Caption(), "延时计时：  1");
  QuietTick(meter);
  EXPECT_EQ(Caption(), "延时计时：  1");  // the label keeps its last text
  EXPECT_EQ(cycle.Sms().SmsCounter(), 0);

  view.SmsOn = false;  // configuration mode, or switched off
  Tick();
  EXPECT_EQ(cycle.Sms().SmsCounter(), 0);
  EXPECT_EQ(Caption(), "延时计时：  1");
}

}  // namespace
