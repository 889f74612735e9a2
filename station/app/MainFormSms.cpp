// The SMS alarm: the SMS step of every alarm tick, its reset in ticks without alarm, and the SMS
// page's Save button.
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
// Every setting is read from the page's controls when it is used, saved or not.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "common/AppPaths.h"
#include "common/Cp936.h"
#include "common/StrConv.h"
#include "platform/ComPort.h"
#include "platform/IniFile.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/GsmSettings.h"
#include "station/app/MainForm.h"
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

std::int64_t DelaySeconds(const Tfm_MainForm& form) {
  return StrToInt(form.GSMedAlarmDelayT->text().toStdString());
}

std::int64_t ReloadMinutes(const Tfm_MainForm& form) {
  return StrToInt(form.GSMedAlarmReload->text().toStdString());
}

// The number cell of the phone row that gets the next message, as code page 936 bytes.
std::string CurrentNumber(const Tfm_MainForm& form) {
  const QString cell = form.GSM_SG_PhoneNum->Cells(kPhoneNumberCol, form.PhoneRowIndex + 1);
  return Utf8ToCp936(cell.toStdString());
}

bool SendDue(const Tfm_MainForm& form) {
  return DelaySeconds(form) + kSecondsBetweenMessages * form.SmsCursor.SentInSweep ==
             form.SmsCounter &&
         form.PhoneRowIndex < kPhoneRows;
}

std::string ComposeMessage(const Tfm_MainForm& form, const std::string& number,
                           TSmsCursor& cursor) {
  const std::string alarmText = SmsAlarmText(form.GSMmeAlarmText->toPlainText().toStdString());
  const SmsHead head{number, alarmText,
                     form.GSMcbPWR_AlarmEn->isChecked() &&
                         PowerOffAlarmed(form.Configuration().Table())};
  return ComposeSmsMessage(head, form.Configuration().Table(), form.OverviewTileList, cursor);
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

void SendMessage(Tfm_MainForm& form, const std::string& number) {
  GsmSlot slot;
  if (!slot.Open(ComboItemIndex(*form.GSMcbbCOM))) return;
  WriteMessage(slot.Handle(), ComposeMessage(form, number, form.SmsCursor));
  form.lbYSJS->setText(QString::fromUtf8(kSentCaption));
  if (SmsListingComplete(form.SmsCursor, form.Configuration().Table())) {
    ++form.PhoneRowIndex;
    form.SmsCursor.MeterIndex = 0;
    form.SmsCursor.ChannelIndex = 0;
    form.SmsCursor.TileIndex = 0;
  }
  ++form.SmsCursor.SentInSweep;
}

void StartNextSweep(Tfm_MainForm& form) {
  // Delay is converted before Reload: a page on which neither is a whole number reports Delay.
  const std::int64_t delay = DelaySeconds(form);
  form.SmsCounter = ToInt32(delay - kSecondsPerMinute * ReloadMinutes(form));
  form.PhoneRowIndex = 0;
  form.SmsCursor = TSmsCursor{};
}

std::string TextOf(const TCp936Edit& edit) { return edit.text().toStdString(); }

}  // namespace

void Tfm_MainForm::SmsStep() {
  // Only in run mode (the page's panel is locked then) and when switched on.
  if (plGSM_Alarm->isEnabled() || !GSMcbAlarmEn->isChecked()) return;
  SmsCounter = ToInt32(std::int64_t{SmsCounter} + 1);
  lbYSJS->setText(QString::fromUtf8(kCounterCaption) + QString::number(SmsCounter));
  const std::string number = CurrentNumber(*this);
  if (number.size() != kSmsNumberBytes) {
    ++PhoneRowIndex;
  } else if (SendDue(*this)) {
    SendMessage(*this, number);
  }
  if (PhoneRowIndex >= kPhoneRows) StartNextSweep(*this);
}

void Tfm_MainForm::SmsReset() {
  SmsCursor = TSmsCursor{};
  SmsCounter = 0;
  PhoneRowIndex = 0;
}

void Tfm_MainForm::btnGSM_SetSaveClick() {
  TIniFile ini(AppPath(kGsmIniName));
  ini.WriteBool(kGsmSection, kGsmEnableKey, GSMcbAlarmEn->isChecked());
  ini.WriteInteger(kGsmSection, kGsmComKey, ComboItemIndex(*GSMcbbCOM));
  ini.WriteBool(kGsmSection, kGsmPowerAlarmKey, GSMcbPWR_AlarmEn->isChecked());
  ini.WriteInteger(kGsmSection, kGsmPowerChannelKey, StrToInt(TextOf(*GSMedAlarmPWR_CH)));
  ini.WriteInteger(kGsmSection, kGsmDelayKey, StrToInt(TextOf(*GSMedAlarmDelayT)));
  ini.WriteInteger(kGsmSection, kGsmReloadKey, StrToInt(TextOf(*GSMedAlarmReload)));
  // The file keeps a value's first line only: an alarm text of several lines is saved as its
  // first line, and the lines after it never reach the file as keys or sections of their own.
  ini.WriteString(kGsmSection, kGsmTextKey, GSMmeAlarmText->toPlainText().toStdString());
  for (int row = 1; row <= kPhoneRows; ++row) {
    ini.WriteString(kPhoneListSection, PhoneNameKey(row),
                    GSM_SG_PhoneNum->Cells(kPhoneNameCol, row).toStdString());
    ini.WriteString(kPhoneListSection, PhoneNumberKey(row),
                    GSM_SG_PhoneNum->Cells(kPhoneNumberCol, row).toStdString());
  }
}
