#include "station/app/supervision/SmsAlarm.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "common/StrConv.h"
#include "platform/ComPort.h"
#include "platform/Cp936.h"
#include "station/comm/ComPortAccess.h"
#include "station/comm/MeterComm.h"

namespace {

constexpr int kGsmBaudIndex = 2;  // 9,600 baud
constexpr std::int64_t kSecondsBetweenMessages = 20;
constexpr std::int64_t kSecondsPerMinute = 60;
constexpr const char* kCounterCaption = "延时计时：  ";
constexpr const char* kSentCaption = "发出短息。      ";

// The counter arithmetic is done in 64 bits and held to the int32 range, so no Delay or Reload
// the edits can hold makes it overflow.
std::int32_t ToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t DelaySeconds(const SmsPage& page) { return AlarmDelaySeconds(page.DelayText); }

std::int64_t ReloadMinutes(const SmsPage& page) { return StrToInt(page.ReloadText); }

// The number cell of phone row `row` (0 = grid row 1) as code page 936 bytes; empty for a row
// the grid does not have.
std::string NumberOfRow(const SmsPage& page, std::int32_t row) {
  if (row < 0 || row >= kPhoneRows) return {};
  return Utf8ToCp936(page.Numbers[row]);
}

void WriteMessage(ComHandle slot, const std::string& message) {
  const std::shared_ptr<ComPort> port = ComPortFromHandle(slot);
  if (port == nullptr) return;
  port->PurgeRx();
  // The device answers nothing; a short write is not detected.
  port->Write(reinterpret_cast<const std::uint8_t*>(message.data()),
              static_cast<int>(message.size()));
}

// The GSM port's handle slot for one message: closed on every way out.
class GsmSlot {
 public:
  GsmSlot() = default;
  ~GsmSlot() { CloseComPort(slot_); }
  GsmSlot(const GsmSlot&) = delete;
  GsmSlot& operator=(const GsmSlot&) = delete;
  bool Open(int portIndex) { return OpenComPort(slot_, portIndex, kGsmBaudIndex); }
  ComHandle Handle() const { return slot_; }

 private:
  ComHandle slot_ = kComNeverOpened;
};

}  // namespace

void SmsAlarm::SmsStep(const SmsPage& page, const MeterTable& table, const OverviewTiles& tiles,
                       const CaptionSink& showCaption) {
  smsCounter_ = ToInt32(std::int64_t{smsCounter_} + 1);
  showCaption(kCounterCaption + std::to_string(smsCounter_));
  const std::string number = NumberOfRow(page, phoneRowIndex_);
  if (number.size() != kSmsNumberBytes) {
    ++phoneRowIndex_;
  } else if (SendDue(page)) {
    SendMessage(page, number, table, tiles, showCaption);
  }
  if (phoneRowIndex_ >= kPhoneRows) StartNextSweep(page);
}

void SmsAlarm::SmsReset() {
  smsCursor_ = TSmsCursor{};
  smsCounter_ = 0;
  phoneRowIndex_ = 0;
  roundOpened_ = false;
  lastMessageAt_.reset();
}

bool SmsAlarm::SendDue(const SmsPage& page) {
  if (phoneRowIndex_ >= kPhoneRows) return false;
  if (roundOpened_) {
    // Exactly 20 seconds after the previous message: one that could not be sent then is not
    // tried again later.
    return lastMessageAt_ && *lastMessageAt_ + kSecondsBetweenMessages == smsCounter_;
  }
  // The round's first message: rows passed over on the way to the first valid one do not hold
  // it back once the alarm has lasted its Delay.
  if (smsCounter_ < DelaySeconds(page)) return false;
  if (lastMessageAt_ && smsCounter_ < *lastMessageAt_ + kSecondsBetweenMessages) return false;
  roundOpened_ = true;
  return true;
}

void SmsAlarm::SendMessage(const SmsPage& page, const std::string& number,
                           const MeterTable& table, const OverviewTiles& tiles,
                           const CaptionSink& showCaption) {
  GsmSlot slot;
  if (!slot.Open(page.ComIndex)) return;
  const std::string alarmText = SmsAlarmText(page.AlarmText);
  const SmsHead head{number, alarmText, page.PowerOffAlarm && PowerOffAlarmed(table)};
  WriteMessage(slot.Handle(), ComposeSmsMessage(head, table, tiles, smsCursor_));
  showCaption(kSentCaption);
  lastMessageAt_ = smsCounter_;
  if (SmsListingComplete(smsCursor_, table)) {
    ++phoneRowIndex_;
    smsCursor_.MeterIndex = 0;
    smsCursor_.ChannelIndex = 0;
    smsCursor_.TileIndex = 0;
  }
  ++smsCursor_.SentInSweep;
}

void SmsAlarm::StartNextSweep(const SmsPage& page) {
  // Delay is converted before Reload: a page on which neither is a whole number reports Delay.
  const std::int64_t delay = DelaySeconds(page);
  const std::int32_t restart = ToInt32(delay - kSecondsPerMinute * ReloadMinutes(page));
  if (lastMessageAt_) *lastMessageAt_ += std::int64_t{restart} - smsCounter_;
  smsCounter_ = restart;
  phoneRowIndex_ = 0;
  smsCursor_ = TSmsCursor{};
  roundOpened_ = false;
}
