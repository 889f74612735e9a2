#include "station/app/supervision/SmsPage.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/Errors.h"
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

}  // namespace
