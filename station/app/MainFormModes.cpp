// Run mode and configuration mode, the sign-in and sign-out buttons, and the password change.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "common/Errors.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/app/LoginForm.h"
#include "station/app/MainForm.h"
#include "station/app/ModifyPwForm.h"

void Tfm_MainForm::SetConfigurationButtonsEnabled(bool enabled) {
  for (QPushButton* button :
       {btn_ModifyPassword, btn_SignOut, btn_MeterBatchAdd, btn_MeterAdd, btn_MeterDel,
        btn_MeterModify, btn_MeterSave, btn_ChannelAdd, btn_ChannelDel, btn_ChannelModify,
        btn_ChannelSave}) {
    button->setEnabled(enabled);
  }
}

void Tfm_MainForm::EnterRunMode() {
  FillMeterList();
  BuildOverviewTiles();
  BuildCurveSelectList();
  RebuildTrendSeries();
  BuildPollLists();
  OpenRecordingFiles();
  strgGrid_MeterList->SetRow(1);
  strgGrid_MeterListClick();
  StartPolling();
  if (!chkBox_SelectAllCurves->isChecked()) {
    chkBox_SelectAllCurves->setChecked(true);
    chkBox_SelectAllCurvesClick();
  }
  SetConfigurationButtonsEnabled(false);
  timer_PerSecond->start();
  plGSM_Alarm->setEnabled(false);
  Cycle().Sms().RestartPhoneRows();
  config_.Access().RunModeEntered();
}

void Tfm_MainForm::EnterConfigMode() {
  // From here on nothing is measured into the display, recorded, alarmed or sent.
  timer_PerSecond->stop();
  config_.Access().ConfigModeEntered();
  CloseRecordingPeriod();
  SetConfigurationButtonsEnabled(true);
  plGSM_Alarm->setEnabled(true);
  StopPolling();
}

void Tfm_MainForm::btn_LoginClick() {
  Tfm_LoginForm dialog;
  dialog.ExpectedPassword = config_.Password();
  dialog.ReadProblem = config_.Access().SignInRefusal();
  dialog.setWindowTitle(QStringLiteral("Sign in System Configuration"));
  dialog.lab_InputPassword->setText(QStringLiteral("Password"));
  dialog.bt_Cancel->setText(QStringLiteral("Cancel"));
  dialog.bt_Ok->setText(QStringLiteral("OK"));
  if (RunModal(dialog) != mrOk) return;
  EnterConfigMode();
  pgContr_MainForm->SetActivePage(tabSheet_MeterInfo);
}

void Tfm_MainForm::btn_SignOutClick() { EnterRunMode(); }

void Tfm_MainForm::btn_ModifyPasswordClick() {
  Tfm_ModifyPwForm dialog;
  dialog.setWindowTitle(QStringLiteral("Password Setting"));
  dialog.lab_InputNewPw->setText(QStringLiteral("New Password"));
  dialog.lab_InputNewPwAgain->setText(QStringLiteral("Confirm Again"));
  dialog.btn_Ok->setText(QStringLiteral("OK"));
  dialog.btn_Cancel->setText(QStringLiteral("Cancel"));
  if (RunModal(dialog) != mrOk) return;
  RaiseOnFailure(config_.ChangePassword(dialog.ed_NewPw->text().toStdString()));
}
