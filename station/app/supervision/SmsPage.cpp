#include "station/app/supervision/SmsPage.h"

#include "common/StrConv.h"
#include "platform/IniFile.h"

std::int32_t AlarmDelaySeconds(const std::string& text) {
  try {
    return StrToInt(text);
  } catch (const EConvertError& error) {
    throw EAlarmDelayError(error.what(), text);
  }
}

SmsPage LoadSmsPage(const std::string& path) {
  const TIniFile ini(path);
  SmsPage page;
  page.AlarmEnabled = ini.ReadBool(kGsmSection, kGsmEnableKey, kGsmDefaultEnable);
  page.ComIndex = ini.ReadInteger(kGsmSection, kGsmComKey, kGsmDefaultCom);
  page.PowerOffAlarm = ini.ReadBool(kGsmSection, kGsmPowerAlarmKey, kGsmDefaultPowerAlarm);
  page.PowerChannelText =
      ini.ReadString(kGsmSection, kGsmPowerChannelKey, kGsmDefaultPowerChannel);
  page.DelayText = ini.ReadString(kGsmSection, kGsmDelayKey, kGsmDefaultDelay);
  page.ReloadText = ini.ReadString(kGsmSection, kGsmReloadKey, kGsmDefaultReload);
  page.AlarmText = GsmAlarmText(ini.ReadString(kGsmSection, kGsmTextKey, kGsmDefaultText));
  for (int row = 1; row <= kPhoneRows; ++row) {
    page.Names[row - 1] = ini.ReadString(kPhoneListSection, PhoneNameKey(row), "");
    page.Numbers[row - 1] = ini.ReadString(kPhoneListSection, PhoneNumberKey(row), "");
  }
  return page;
}

void SaveSmsPage(const std::string& path, const SmsPage& page) {
  TIniFile ini(path);
  ini.WriteBool(kGsmSection, kGsmEnableKey, page.AlarmEnabled);
  ini.WriteInteger(kGsmSection, kGsmComKey, page.ComIndex);
  ini.WriteBool(kGsmSection, kGsmPowerAlarmKey, page.PowerOffAlarm);
  ini.WriteInteger(kGsmSection, kGsmPowerChannelKey, StrToInt(page.PowerChannelText));
  ini.WriteInteger(kGsmSection, kGsmDelayKey, StrToInt(page.DelayText));
  ini.WriteInteger(kGsmSection, kGsmReloadKey, StrToInt(page.ReloadText));
  // The file keeps a value's first line only: an alarm text of several lines is saved as its
  // first line, and the lines after it never reach the file as keys or sections of their own.
  ini.WriteString(kGsmSection, kGsmTextKey, page.AlarmText);
  for (int row = 1; row <= kPhoneRows; ++row) {
    ini.WriteString(kPhoneListSection, PhoneNameKey(row), page.Names[row - 1]);
    ini.WriteString(kPhoneListSection, PhoneNumberKey(row), page.Numbers[row - 1]);
  }
}
