#include "station/app/LoginForm.h"

#include <QLabel>
#include <QPushButton>

#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "station/app/DialogControls.h"
#include "station/app/parts/ConfigAccess.h"

Tfm_LoginForm::Tfm_LoginForm(QWidget* parent) : QDialog(parent) {
  SetUpDialogFrame(*this, "fm_LoginForm", "登录", kClientWidth, kClientHeight);
  lab_InputPassword = NewDialogLabel(*this, "lab_InputPassword", "请输入密码:", {8, 8, 137, 13});
  ed_InputPassword =
      NewPasswordEdit(*this, "ed_InputPassword", kPasswordMaxBytes, {8, 24, 105, 21});
  lab_PasswordTip = NewDialogLabel(*this, "lab_PasswordTip", "", {120, 32, 49, 13});
  bt_Ok = NewDialogButton(*this, "bt_Ok", "确认", {40, 56, 57, 25});
  bt_Cancel = NewDialogButton(*this, "bt_Cancel", "取消", {112, 56, 57, 25});
  MakeOkButton(*this, *bt_Ok, [this] { bt_OkClick(); });
  MakeCancelButton(*this, *bt_Cancel);
  // Neither button is the cancel button: Escape leaves the dialog open.
  KeepOpenOnEscape(*this);
}

void Tfm_LoginForm::bt_OkClick() {
  // A password that could not be read matches nothing, not even the empty entry.
  if (SignInAccepted(ed_InputPassword->text().toStdString(), ExpectedPassword, ReadProblem)) {
    return;
  }
  ed_InputPassword->clear();
  lab_PasswordTip->setText(QStringLiteral("Error"));
  setResult(mrNone);
  if (!ReadProblem.empty()) {
    ShowMessageBox(QString::fromStdString(ReadProblem), QStringLiteral("Error"));
  }
}
