#include "station/app/ModifyPwForm.h"

#include <QLabel>
#include <QPushButton>

#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "station/app/DialogControls.h"

Tfm_ModifyPwForm::Tfm_ModifyPwForm(QWidget* parent) : QDialog(parent) {
  SetUpDialogFrame(*this, "fm_ModifyPwForm", "修改密码", kClientWidth, kClientHeight);
  lab_InputNewPw = NewDialogLabel(*this, "lab_InputNewPw", "输入新密码:", {8, 12, 81, 13});
  ed_NewPw = NewPasswordEdit(*this, "ed_NewPw", kPasswordMaxBytes, {88, 8, 89, 21});
  lab_InputNewPwAgain =
      NewDialogLabel(*this, "lab_InputNewPwAgain", "再输入一次:", {8, 36, 81, 13});
  ed_NewPwAgain = NewPasswordEdit(*this, "ed_NewPwAgain", kPasswordMaxBytes, {88, 32, 89, 21});
  lab_ModifyTip = NewDialogLabel(*this, "lab_ModifyTip", "", {184, 36, 49, 13});
  btn_Ok = NewDialogButton(*this, "btn_Ok", "确认", {112, 64, 57, 25});
  btn_Cancel = NewDialogButton(*this, "btn_Cancel", "取消", {176, 64, 57, 25});
  MakeOkButton(*this, *btn_Ok, [this] { btn_OkClick(); });
  MakeCancelButton(*this, *btn_Cancel);
  // Neither button is the cancel button: Escape leaves the dialog open.
  KeepOpenOnEscape(*this);
}

void Tfm_ModifyPwForm::btn_OkClick() {
  if (ed_NewPw->text() == ed_NewPwAgain->text()) return;
  ed_NewPw->clear();
  ed_NewPwAgain->clear();
  lab_ModifyTip->setText(QStringLiteral("错误"));
  setResult(mrNone);
}
