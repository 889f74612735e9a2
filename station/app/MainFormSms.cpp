// The SMS page on the main window: its controls to and from SmsPage (start-up's read of
// Res\GSM_Alarm.ini, the SMS step and the Save button), and whether the SMS step runs.

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>

#include "common/AppPaths.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"

namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

void Tfm_MainForm::ReadSmsSettings() {
  const SmsPage page = LoadSmsPage(AppPath(kGsmIniName));
  GSMcbAlarmEn->setChecked(page.AlarmEnabled);
  // A port number outside the list leaves no item selected rather than another port.
  SetComboItemIndex(*GSMcbbCOM, page.ComIndex);
  GSMcbPWR_AlarmEn->setChecked(page.PowerOffAlarm);
  GSMedAlarmPWR_CH->setText(Text(page.PowerChannelText));
  GSMedAlarmDelayT->setText(Text(page.DelayText));
  GSMedAlarmReload->setText(Text(page.ReloadText));
  GSMmeAlarmText->setPlainText(Text(page.AlarmText));
  cycle_.Alarm().DropSilence();
  // The delay as its edit holds it.
  cycle_.LoadAlarmDelay(GSMedAlarmDelayT->text().toStdString());
  for (int row = 1; row <= kPhoneRows; ++row) {
    GSM_SG_PhoneNum->SetCells(kPhoneNameCol, row, Text(page.Names[row - 1]));
    GSM_SG_PhoneNum->SetCells(kPhoneNumberCol, row, Text(page.Numbers[row - 1]));
  }
}

bool Tfm_MainForm::SmsAlarmOn() const {
  // Only in run mode and when switched on.
  return InRunMode() && GSMcbAlarmEn->isChecked();
}

SmsPage Tfm_MainForm::ReadSmsPage() const {
  SmsPage page;
  page.AlarmEnabled = GSMcbAlarmEn->isChecked();
  page.ComIndex = ComboItemIndex(*GSMcbbCOM);
  page.PowerOffAlarm = GSMcbPWR_AlarmEn->isChecked();
  page.PowerChannelText = GSMedAlarmPWR_CH->text().toStdString();
  page.DelayText = GSMedAlarmDelayT->text().toStdString();
  page.ReloadText = GSMedAlarmReload->text().toStdString();
  page.AlarmText = GSMmeAlarmText->toPlainText().toStdString();
  for (int row = 1; row <= kPhoneRows; ++row) {
    page.Names[row - 1] = GSM_SG_PhoneNum->Cells(kPhoneNameCol, row).toStdString();
    page.Numbers[row - 1] = GSM_SG_PhoneNum->Cells(kPhoneNumberCol, row).toStdString();
  }
  return page;
}

void Tfm_MainForm::btnGSM_SetSaveClick() { SaveSmsPage(AppPath(kGsmIniName), ReadSmsPage()); }
