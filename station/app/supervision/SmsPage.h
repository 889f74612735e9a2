#pragma once
// The SMS page's settings as plain values: what its controls hold, saved or not. The window reads
// them from the controls; the SMS step uses them as they stand in that second, and the page's
// Save button writes them to Res\GSM_Alarm.ini (station/app/parts/GsmSettings.h). No Qt here.

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/Errors.h"
#include "station/app/parts/GsmSettings.h"

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

// Writes every key of the ini file at `path` from the page, in the file's order. PWR_CH, Delay
// and Reload are converted strictly: a text that is not a whole number raises EConvertError at
// its key, after the keys before it were written.
void SaveSmsPage(const std::string& path, const SmsPage& page);
