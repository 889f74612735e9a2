#pragma once
// The SMS page's settings as plain values: what its controls hold, saved or not, and their file
// Res\GSM_Alarm.ini. The window reads the page from the controls; the SMS step uses it as it
// stands in that second. Start-up reads every key of the file into the page's controls
// (LoadSmsPage) and the page's Save button writes them all back (SaveSmsPage), both in this
// order: section GSM (Enable, COM, PWR_ALARM, PWR_CH, Delay, Reload, Text), then section
// PhoneList with the names and numbers interleaved (Name1, Num1, Name2, Num2 ... Name10, Num10).
//
// Booleans are written "1" or "0", integers in decimal; PWR_CH, Delay and Reload are read back
// as texts into their edits. A value keeps only its first line in the file, so an alarm text of
// several lines is stored as its first line. No Qt here.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "common/Errors.h"

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

struct SmsPage {
  bool AlarmEnabled = false;     // GSMcbAlarmEn
  int ComIndex = -1;             // item index of GSMcbbCOM: 0 = COM1; -1 none selected
  bool PowerOffAlarm = false;    // GSMcbPWR_AlarmEn
  std::string PowerChannelText;  // GSMedAlarmPWR_CH: stored and shown only
  std::string DelayText;         // GSMedAlarmDelayT: seconds; also the alarm window's delay
  std::string ReloadText;        // GSMedAlarmReload: minutes between two sweeps
  std::string AlarmText;         // GSMmeAlarmText, its lines separated by LF
  // Rows 1..10 of GSM_SG_PhoneNum: contact names (column 1) and mobile numbers (column 2).
  std::array<std::string, kPhoneRows> Names;
  std::array<std::string, kPhoneRows> Numbers;
};
// Every text above is UTF-8.

// The alarm delay (GSMedAlarmDelayT) that the alarm window, the tiles and the SMS step share, in
// seconds. A text that is not a whole number raises EAlarmDelayError: the usual conversion
// message, and the text, so that the cycle tells the operator once for each text given.
class EAlarmDelayError : public EConvertError {
 public:
  EAlarmDelayError(const std::string& message, std::string text)
      : EConvertError(message), text_(std::move(text)) {}
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};
std::int32_t AlarmDelaySeconds(const std::string& text);

// Reads every key of the ini file at `path` into a page, in the file's order; a missing file or
// key gives the defaults above. The port is the COM key as it stands (a number beyond the list
// selects no item), and the alarm text ends at a NUL. Nothing is converted strictly here: the
// Delay text is start-up's to convert.
SmsPage LoadSmsPage(const std::string& path);

// Writes every key of the ini file at `path` from the page, in the file's order. PWR_CH, Delay
// and Reload are converted strictly: a text that is not a whole number raises EConvertError at
// its key, after the keys before it were written.
void SaveSmsPage(const std::string& path, const SmsPage& page);
