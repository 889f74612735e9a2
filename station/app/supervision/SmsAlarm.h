#pragma once
// The SMS alarm's sequence: the SMS step of every alarm tick and its reset in ticks without
// alarm. No Qt here; main thread only.
//
// While an alarm lasts, SmsCounter counts its seconds. The phone rows are taken in turn, a row
// without an 11-byte number passed over at one row a second. A round's first message goes to the
// first valid row once the alarm has lasted its Delay (at once for a Delay of 0 or less),
// however many rows were passed over before it; each further message of the round goes 20
// seconds after the previous one. A listing too long for one message goes to the same number in
// several. After the tenth row the counter restarts at Delay - 60 x Reload: the next round
// begins Reload minutes later, and never sooner than 20 seconds after the last message. The GSM
// port is opened, purged, written once and closed for each message; an open that fails sends
// nothing and is not tried again, so this alarm sends no more.
//
// Every setting comes from the SMS page as it stands in that second (SmsPage); Delay and Reload
// are converted strictly where they are used, so a text that is not a whole number raises
// EConvertError there (EAlarmDelayError for Delay).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/MeterRecord.h"
#include "station/app/supervision/OverviewTiles.h"
#include "station/app/supervision/SmsMessage.h"
#include "station/app/supervision/SmsPage.h"

class SmsAlarm {
 public:
  // Shows a text (UTF-8) in the SMS page's counter label (lbYSJS).
  using CaptionSink = std::function<void(const std::string& caption)>;

  // The SMS step of an alarm tick, for a page that is locked (run mode) and switched on. The
  // listing reads the alarm flags of `table` and the texts of `tiles` (refreshed by this tick).
  void SmsStep(const SmsPage& page, const MeterTable& table, const OverviewTiles& tiles,
               const CaptionSink& showCaption);

  // The SMS part of a tick without alarm: cursor, counter and phone row back to 0.
  void SmsReset();
  // Run mode's start: the next message goes to the first phone row.
  void RestartPhoneRows() { phoneRowIndex_ = 0; }

  // Seconds of the current alarm (restarting below 0 for the next sweep).
  std::int32_t SmsCounter() const { return smsCounter_; }
  // Phone row (0 = grid row 1) that gets the next message.
  std::int32_t PhoneRowIndex() const { return phoneRowIndex_; }
  // Where the listing of alarmed channels resumes, and the messages of the current sweep.
  const TSmsCursor& SmsCursor() const { return smsCursor_; }

 private:
  bool SendDue(const SmsPage& page);
  void SendMessage(const SmsPage& page, const std::string& number, const MeterTable& table,
                   const OverviewTiles& tiles, const CaptionSink& showCaption);
  void StartNextSweep(const SmsPage& page);

  std::int32_t smsCounter_ = 0;
  std::int32_t phoneRowIndex_ = 0;
  TSmsCursor smsCursor_;
  // This round's first message has been due and tried; the further ones follow it.
  bool roundOpened_ = false;
  // The counter's value when the last message of this alarm went out, counted in the current
  // round's terms (a restart moves it with the counter).
  std::optional<std::int64_t> lastMessageAt_;
};
