// The SMS page on the main window: its controls as the SMS step and the Save button use them
// (SmsPage), and the counter label the step shows.

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>

#include "common/AppPaths.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"

bool Tfm_MainForm::SmsAlarmOn() const {
  // Only in run mode (the page's panel is locked then) and when switched on.
  return !plGSM_Alarm->isEnabled() && GSMcbAlarmEn->isChecked();
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
