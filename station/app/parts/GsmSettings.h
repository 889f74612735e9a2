#pragma once
// Res\GSM_Alarm.ini: the SMS alarm settings of the SMS page. Start-up reads every key into the
// page's controls and the page's Save button writes them all back, both in this order: section
// GSM (Enable, COM, PWR_ALARM, PWR_CH, Delay, Reload, Text), then section PhoneList with the
// names and numbers interleaved (Name1, Num1, Name2, Num2 ... Name10, Num10).
//
// Booleans are written "1" or "0", integers in decimal; PWR_CH, Delay and Reload are read back
// as texts into their edits. A value keeps only its first line in the file, so an alarm text of
// several lines is stored as its first line.

#include <algorithm>
#include <string>

inline constexpr const char* kGsmIniName = "\\Res\\GSM_Alarm.ini";

inline constexpr const char* kGsmSection = "GSM";
inline constexpr const char* kGsmEnableKey = "Enable";
inline constexpr const char* kGsmComKey = "COM";
inline constexpr const char* kGsmPowerAlarmKey = "PWR_ALARM";
inline constexpr const char* kGsmPowerChannelKey = "PWR_CH";
inline constexpr const char* kGsmDelayKey = "Delay";
inline constexpr const char* kGsmReloadKey = "Reload";
inline constexpr const char* kGsmTextKey = "Text";

// Defaults of missing keys (and of keys that do not hold a whole number, for Enable, COM and
// PWR_ALARM).
inline constexpr bool kGsmDefaultEnable = false;
inline constexpr int kGsmDefaultCom = 0;
inline constexpr bool kGsmDefaultPowerAlarm = false;
inline constexpr const char* kGsmDefaultPowerChannel = "1";
inline constexpr const char* kGsmDefaultDelay = "10";
inline constexpr const char* kGsmDefaultReload = "60";
inline constexpr const char* kGsmDefaultText = "ALARM!";

// The phone list: rows 1..10 of the phone grid, contact name in column 1, mobile number in
// column 2; a missing key reads as the empty text.
inline constexpr const char* kPhoneListSection = "PhoneList";
inline constexpr int kPhoneRows = 10;
inline constexpr int kPhoneNameCol = 1;
inline constexpr int kPhoneNumberCol = 2;

// The alarm text as read from the file: it ends at a NUL, as a text field does.
inline std::string GsmAlarmText(std::string value) {
  value.resize(std::min(value.find('\0'), value.size()));
  return value;
}

// "Name<row>" and "Num<row>" for grid row 1..10.
inline std::string PhoneNameKey(int row) { return "Name" + std::to_string(row); }
inline std::string PhoneNumberKey(int row) { return "Num" + std::to_string(row); }
