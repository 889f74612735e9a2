#pragma once
// The SMS alarm's sequence: the SMS step of every alarm tick and its reset in ticks without
// alarm. No Qt here; main thread only.
//
// While an alarm lasts, SmsCounter counts its seconds. The phone rows are taken in turn, a row
// without an 11-byte number passed over at one row a second; a valid row gets a message when the
// counter reaches Delay + 20 x (messages sent in this sweep), so the first goes out in second D
// and each further one 20 seconds after the previous. A listing too long for one message goes to
// the same number in several. After the tenth row the counter restarts at Delay - 60 x Reload:
// the next sweep begins Reload minutes later. The GSM port is opened, purged, written once and
// closed for each message; an open that fails sends nothing and does not count, so this alarm
// sends no more.
//
// Every setting comes from the SMS page as it stands in that second (SmsPage); Delay and Reload
// are converted strictly where they are used, so a text that is not a whole number raises
// EConvertError there (EAlarmDelayError for Delay).

#include <cstdint>
#include <functional>
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
  bool SendDue(const SmsPage& page) const;
  void SendMessage(const SmsPage& page, const std::string& number, const MeterTable& table,
                   const OverviewTiles& tiles, const CaptionSink& showCaption);
  void StartNextSweep(const SmsPage& page);

  std::int32_t smsCounter_ = 0;
  std::int32_t phoneRowIndex_ = 0;
  TSmsCursor smsCursor_;
};
