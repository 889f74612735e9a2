#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <string>
#include <vector>

#include "common/Cp936.h"
#include "platform/Clock.h"
#include "platform/ComPort.h"
#include "platform/IniFile.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/comm/MeterComm.h"
#include "tests/app/CycleTestSupport.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

constexpr int kNoTextRows = 1000000;
constexpr int kGsmCom = 7;
const char* const kNumber = "13800138000";
const char* const kSentCaption = "发出短息。      ";

// The SMS step on a GSM port that is a pty: what the station writes is read back raw by a
// slave that answers nothing.
class SmsTest : public CycleTest {
 protected:
  SmsTest() : gsm(std::vector<std::uint8_t>{}) {
    gsm.StartPty();
    gsm.LinkAsCom(dir.Path(), kGsmCom);
    form->GSMcbbCOM->setCurrentIndex(kGsmCom - 1);
    form->GSMcbAlarmEn->setChecked(true);
    form->GSMedAlarmReload->setText(QStringLiteral("1"));
    form->GSMmeAlarmText->setPlainText(QStringLiteral("ALARM"));
  }

  // "Boiler" with `channels` channels, then run mode's start and the channels in alarm. Each
  // entry is exactly 40 bytes: "Boiler--" and a 23-character name, TAB, "12.5", "kPa", LF.
  TMeterRecord& AlarmedBoiler(int channels) {
    static const char* const names[] = {"Outlet temperature no 1", "Outlet temperature no 2",
                                        "Outlet temperature no 3", "Outlet temperature no 4",
                                        "Outlet temperature no 5"};
    TMeterRecord& meter = AddMeter("Boiler", std::vector<const char*>(names, names + channels),
                                   kNoTextRows);
    for (int c = 0; c < channels; ++c) {
      WriteFixedText(meter.Channels[c].Unit, "kPa");
      meter.Values[c] = 12.5f;
    }
    StartRun();  // clears the flags of the channels in use
    for (int c = 0; c < channels; ++c) meter.HAFlags[c] = 1;
    return meter;
  }
  static std::string BoilerEntry(int channel) {
    return "Boiler--Outlet temperature no " + std::to_string(channel) + "\t12.5kPa\n";
  }
  // A tick without alarm (its meter offline, the flags kept) resets the SMS state.
  void QuietTick(TMeterRecord& meter) {
    meter.Online = 0;
    Tick();
    meter.Online = 1;
    second_ = 0;
  }

  void SetDelay(int seconds) { form->GSMedAlarmDelayT->setText(QString::number(seconds)); }
  void SetNumber(int row, const char* number) {
    form->GSM_SG_PhoneNum->SetCells(2, row, QString::fromUtf8(number));
  }
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
  std::string Caption() const { return form->lbYSJS->text().toStdString(); }
  // Every byte the GSM port received, once at least `count` are there (or after 5 s).
  // With `count` 0, after a pause in which stray bytes would have arrived.
  std::string Received(std::size_t count) const {
    if (count == 0) RealSleepMs(200);
    std::string bytes;
    WaitUntil([&] {
      bytes.clear();
      for (const Frame& frame : gsm.Requests()) bytes.append(frame.begin(), frame.end());
      return bytes.size() >= count;
    });
    return bytes;
  }

  ScriptedSlave gsm;
  int second_ = 0;
};

std::string Head(const std::string& number, const std::string& text = "ALARM") {
  return "86" + number + ":" + text + "\n";
}

// ---- The page's controls ------------------------------------------------------------------
// The SMS sequence's rules are the cycle's (supervision_tests); here every control of the page
// reaches the message, and the counter label follows the page's state.

TEST_F(SmsTest, ThePowerOffLineFollowsTheFirstChannelOfTheFirstMeterOnly) {
  TMeterRecord& pump = AddMeter("Pump", {"P0", "P1"}, kNoTextRows);
  for (int c = 0; c < 2; ++c) {
    WriteFixedText(pump.Channels[c].Unit, "bar");
    pump.Values[c] = 3.0f;
  }
  form->GSMmeAlarmText->setPlainText(QString::fromUtf8("测量数据超限！\nline 2"));
  form->GSMedAlarmPWR_CH->setText(QStringLiteral("2"));  // shown only; never consulted
  SetDelay(1);
  SetNumber(1, kNumber);
  StartRun();
  const std::string head = Head(kNumber, Utf8ToCp936("测量数据超限！") + "\r\nline 2");
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
    form->GSMcbPWR_AlarmEn->setChecked(c.powerSwitch);
    pump.HAFlags[c.channel] = 1;
    EXPECT_EQ(SendSeconds(1), std::vector<int>{1});
    pump.HAFlags[c.channel] = 0;
    QuietTick(pump);
    all += c.expected;
  }
  EXPECT_EQ(Received(all.size()), all);
}

TEST_F(SmsTest, TheCounterShowsInItsLabelOnlyInRunModeAndWhenSwitchedOn) {
  TMeterRecord& meter = AlarmedBoiler(1);
  SetDelay(30);
  Tick();
  EXPECT_EQ(Caption(), "延时计时：  1");
  QuietTick(meter);
  EXPECT_EQ(Caption(), "延时计时：  1");  // the label keeps its last text
  EXPECT_EQ(form->Cycle().Sms().SmsCounter(), 0);

  form->plGSM_Alarm->setEnabled(true);  // configuration mode
  Tick();
  EXPECT_EQ(form->Cycle().Sms().SmsCounter(), 0);
  form->plGSM_Alarm->setEnabled(false);
  form->GSMcbAlarmEn->setChecked(false);
  Tick();
  EXPECT_EQ(form->Cycle().Sms().SmsCounter(), 0);
}

// ---- Save button -----------------------------------------------------------------------------

class SmsSaveTest : public CycleTest {
 protected:
  SmsSaveTest() {
    std::filesystem::create_directory(dir.File("Res"));
    form->plGSM_Alarm->setEnabled(true);  // configuration mode
    form->GSMcbAlarmEn->setChecked(true);
    form->GSMcbbCOM->setCurrentIndex(3);
    form->GSMedAlarmPWR_CH->setText(QStringLiteral("2"));
    form->GSMedAlarmDelayT->setText(QStringLiteral("15"));
    form->GSMedAlarmReload->setText(QStringLiteral("5"));
    form->GSMmeAlarmText->setPlainText(QStringLiteral("first line\n[PhoneList]\nNum1=1"));
    form->GSM_SG_PhoneNum->SetCells(1, 1, QString::fromUtf8("张三"));
    form->GSM_SG_PhoneNum->SetCells(2, 1, QString::fromLatin1(kNumber));
  }
  std::string IniText() const { return ReadFileBytes(dir.File("Res/GSM_Alarm.ini")); }
};

TEST_F(SmsSaveTest, WritesEveryKeyInTheFilesOrderAndAnAlarmTextAsItsFirstLine) {
  form->btnGSM_SetSave->click();
  EXPECT_TRUE(errorBoxes.isEmpty());
  std::string expected =
      "[GSM]\r\nEnable=1\r\nCOM=3\r\nPWR_ALARM=0\r\nPWR_CH=2\r\nDelay=15\r\nReload=5\r\n"
      "Text=first line\r\n\r\n[PhoneList]\r\nName1=" +
      Utf8ToCp936("张三") + "\r\nNum1=" + kNumber + "\r\n";
  for (int row = 2; row <= 10; ++row) {
    expected += "Name" + std::to_string(row) + "=\r\nNum" + std::to_string(row) + "=\r\n";
  }
  EXPECT_EQ(IniText(), expected);
  const TIniFile ini(dir.File("Res/GSM_Alarm.ini"));
  EXPECT_EQ(ini.ReadString("PhoneList", "Num1", ""), kNumber);
}

TEST_F(SmsSaveTest, ANumberTextThatDoesNotConvertStopsTheSaveAtItsKey) {
  form->GSMedAlarmDelayT->setText(QStringLiteral("ten"));
  form->btnGSM_SetSave->click();
  EXPECT_EQ(errorBoxes, QStringList{"'ten' is not a valid integer value"});
  EXPECT_EQ(IniText(), "[GSM]\r\nEnable=1\r\nCOM=3\r\nPWR_ALARM=0\r\nPWR_CH=2\r\n");
}

}  // namespace
