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

// The SMS page's controls on a GSM port that is a pty.
class SmsTest : public CycleTest {
 protected:
  SmsTest() : gsm(dir.Path()) {
    form->GSMcbbCOM->setCurrentIndex(kGsmCom - 1);
    form->GSMcbAlarmEn->setChecked(true);
    form->GSMedAlarmReload->setText(QStringLiteral("1"));
    form->GSMmeAlarmText->setPlainText(QStringLiteral("ALARM"));
  }

  // The Boiler with one channel, then run mode's start and the channel in alarm.
  TMeterRecord& AlarmedBoiler() {
    TMeterRecord& meter = AddBoiler(Table(), 1);
    StartRun();  // clears the flags of the channels in use
    meter.HAFlags[0] = 1;
    return meter;
  }
  // A tick without alarm (its meter offline, the flags kept) resets the SMS state.
  void QuietTick(TMeterRecord& meter) {
    meter.Online = 0;
    Tick();
    meter.Online = 1;
  }

  void SetDelay(int seconds) { form->GSMedAlarmDelayT->setText(QString::number(seconds)); }
  void SetNumber(int row, const char* number) {
    form->GSM_SG_PhoneNum->SetCells(2, row, QString::fromUtf8(number));
  }
  // Runs one alarm tick; true when a message went out in it.
  bool Sent() {
    Tick();
    return Caption() == kSentCaption;
  }
  std::string Caption() const { return form->lbYSJS->text().toStdString(); }

  GsmPort gsm;
};

// ---- The page's controls ------------------------------------------------------------------
// The SMS sequence's rules are the cycle's (supervision_tests); here every control of the page
// reaches the message, and the counter label follows the page's state.

TEST_F(SmsTest, EveryControlOfThePageReachesTheMessage) {
  TMeterRecord& pump = AddMeter("Pump", {"P0"}, kNoTextRows);
  WriteFixedText(pump.Channels[0].Unit, "bar");
  pump.Values[0] = 3.0f;
  form->GSMmeAlarmText->setPlainText(QString::fromUtf8("测量数据超限！\nline 2"));
  form->GSMedAlarmPWR_CH->setText(QStringLiteral("2"));  // shown only; never consulted
  SetDelay(1);
  SetNumber(1, kNumber);
  StartRun();
  const std::string head = SmsHead(kNumber, Utf8ToCp936("测量数据超限！") + "\r\nline 2");
  const std::string powerOff = Utf8ToCp936("系统断电!!") + "\n";
  std::string all;
  for (bool powerSwitch : {true, false}) {
    form->GSMcbPWR_AlarmEn->setChecked(powerSwitch);
    pump.HAFlags[0] = 1;
    EXPECT_TRUE(Sent()) << powerSwitch;
    pump.HAFlags[0] = 0;
    QuietTick(pump);
    all += head + (powerSwitch ? powerOff : "") + "Pump--P0\t3bar\n\r\n";
  }
  EXPECT_EQ(gsm.Received(all.size()), all);
}

TEST_F(SmsTest, TheCounterShowsInItsLabelOnlyInRunModeAndWhenSwitchedOn) {
  TMeterRecord& meter = AlarmedBoiler();
  SetDelay(30);
  Tick();
  EXPECT_EQ(Caption(), "延时计时：  1");
  QuietTick(meter);
  EXPECT_EQ(Caption(), "延时计时：  1");  // the label keeps its last text
  EXPECT_EQ(form->Cycle().Sms().SmsCounter(), 0);

  form->Configuration().Access().ConfigModeEntered();
  Tick();
  EXPECT_EQ(form->Cycle().Sms().SmsCounter(), 0);
  form->Configuration().Access().RunModeEntered();
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
  EXPECT_EQ(IniText(), ExpectedGsmIni("张三", kNumber));
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
