#include "station/app/supervision/SmsPage.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/Errors.h"
#include "tests/app/supervision/CycleTestData.h"
#include "tests/support/TestSupport.h"

namespace {

class SmsPageTest : public ::testing::Test {
 protected:
  SmsPageTest() {
    page.AlarmEnabled = true;
    page.ComIndex = 3;
    page.PowerChannelText = "2";
    page.DelayText = "15";
    page.ReloadText = "5";
    page.AlarmText = "first line\n[PhoneList]\nNum1=1";
    page.Names[0] = "张三";
    page.Numbers[0] = "13800138000";
  }
  std::string IniText() const { return ReadFileBytes(path); }

  TempDir dir;
  std::string path = dir.File("GSM_Alarm.ini");
  SmsPage page;
};

TEST_F(SmsPageTest, WritesEveryKeyInTheFilesOrderAndAnAlarmTextAsItsFirstLine) {
  SaveSmsPage(path, page);
  EXPECT_EQ(IniText(), ExpectedGsmIni("张三", "13800138000"));
}

TEST_F(SmsPageTest, ANumberTextThatDoesNotConvertStopsTheSaveAtItsKey) {
  struct Case {
    std::string SmsPage::*text;
    std::string written;
  };
  const std::string gsm = "[GSM]\r\nEnable=1\r\nCOM=3\r\nPWR_ALARM=0\r\n";
  for (const Case& c : {Case{&SmsPage::PowerChannelText, gsm},
                        Case{&SmsPage::DelayText, gsm + "PWR_CH=2\r\n"},
                        Case{&SmsPage::ReloadText, gsm + "PWR_CH=2\r\nDelay=15\r\n"}}) {
    std::remove(path.c_str());
    SmsPage bad = page;
    bad.*c.text = "ten";
    EXPECT_THROW(SaveSmsPage(path, bad), EConvertError);
    EXPECT_EQ(IniText(), c.written);
  }
}

TEST_F(SmsPageTest, ReadsEveryKeyWithItsDefaultsAndWhatItsSaveWrote) {
  const SmsPage none = LoadSmsPage(path);  // no file: the defaults
  EXPECT_FALSE(none.AlarmEnabled);
  EXPECT_EQ(none.ComIndex, 0);
  EXPECT_FALSE(none.PowerOffAlarm);
  EXPECT_EQ(none.PowerChannelText, "1");
  EXPECT_EQ(none.DelayText, "10");
  EXPECT_EQ(none.ReloadText, "60");
  EXPECT_EQ(none.AlarmText, "ALARM!");
  EXPECT_EQ(none.Names[9], "");

  SaveSmsPage(path, page);
  const SmsPage back = LoadSmsPage(path);
  EXPECT_TRUE(back.AlarmEnabled);
  EXPECT_EQ(back.ComIndex, 3);
  EXPECT_EQ(back.PowerChannelText, "2");
  EXPECT_EQ(back.DelayText, "15");
  EXPECT_EQ(back.ReloadText, "5");
  EXPECT_EQ(back.AlarmText, "first line");
  EXPECT_EQ(back.Names[0], "张三");
  EXPECT_EQ(back.Numbers[0], "13800138000");

  // Texts as they stand (the Delay is start-up's to convert); switches that are no whole
  // number take their defaults; the alarm text ends at a NUL; the port is not bounded here.
  const char ini[] = "[gsm]\nENABLE=yes\nCOM=0x28\nPWR_ALARM=-2\nDelay=abc\nText=PUMP\0STOP\n"
                     "[PhoneList]\nNum10=13900000010\nName10=\xCD\xF5\n";
  WriteFileBytes(path, std::string(ini, sizeof ini - 1));
  const SmsPage odd = LoadSmsPage(path);
  EXPECT_FALSE(odd.AlarmEnabled);
  EXPECT_EQ(odd.ComIndex, 40);
  EXPECT_TRUE(odd.PowerOffAlarm);
  EXPECT_EQ(odd.DelayText, "abc");
  EXPECT_EQ(odd.AlarmText, "PUMP");
  EXPECT_EQ(odd.Numbers[9], "13900000010");
  EXPECT_EQ(odd.Names[9], "王");  // code page 936 in the file
}

}  // namespace
