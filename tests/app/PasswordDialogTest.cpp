// The sign-in and change-password dialogs on their own.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "platform/gui/Cp936Edit.h"
#include "station/app/LoginForm.h"
#include "station/app/ModifyPwForm.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

// Types one character (a key press carrying its text), as a keyboard or input method does.
void TypeCharacter(QWidget* edit, const QString& character) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
  QCoreApplication::sendEvent(edit, &press);
}

void Type(QWidget* edit, const QString& text) {
  for (QChar c : text) TypeCharacter(edit, c);
}

int Enter(Tfm_LoginForm& dialog, const QString& entry) {
  dialog.ed_InputPassword->setText(entry);
  dialog.bt_Ok->click();
  return dialog.result();
}

using PasswordDialogTest = GuiTest;

TEST_F(PasswordDialogTest, DialogsHaveTheirDesign) {
  Tfm_LoginForm login;
  EXPECT_EQ(login.size(), QSize(184, 95));
  EXPECT_EQ(login.minimumSize(), login.maximumSize()) << "a dialog is not resizable";
  EXPECT_EQ(login.windowTitle(), QString::fromUtf8("登录"));
  EXPECT_EQ(login.lab_InputPassword->text(), QString::fromUtf8("请输入密码:"));
  EXPECT_EQ(login.lab_PasswordTip->text(), "");
  EXPECT_TRUE(login.bt_Ok->isDefault());
  EXPECT_EQ(login.bt_Ok->text(), QString::fromUtf8("确认"));
  EXPECT_EQ(login.bt_Cancel->text(), QString::fromUtf8("取消"));
  Tfm_ModifyPwForm change;
  EXPECT_EQ(change.size(), QSize(241, 101));
  EXPECT_EQ(change.windowTitle(), QString::fromUtf8("修改密码"));
  EXPECT_EQ(change.lab_InputNewPwAgain->text(), QString::fromUtf8("再输入一次:"));
  EXPECT_TRUE(change.btn_Ok->isDefault());
  for (QWidget* control : std::initializer_list<QWidget*>{
           login.lab_InputPassword, login.ed_InputPassword, login.lab_PasswordTip, login.bt_Ok,
           login.bt_Cancel, change.lab_InputNewPw, change.ed_NewPw, change.lab_InputNewPwAgain,
           change.ed_NewPwAgain, change.lab_ModifyTip, change.btn_Ok, change.btn_Cancel}) {
    EXPECT_FALSE(control->objectName().isEmpty());
  }
  // Tab order: the new password first, then its confirmation, then the buttons.
  std::vector<QWidget*> tabOrder;
  for (QWidget* w = change.nextInFocusChain(); w != &change; w = w->nextInFocusChain()) {
    if (w->focusPolicy() & Qt::TabFocus) tabOrder.push_back(w);
  }
  EXPECT_EQ(tabOrder, (std::vector<QWidget*>{change.ed_NewPw, change.ed_NewPwAgain, change.btn_Ok,
                                             change.btn_Cancel}));
}

TEST_F(PasswordDialogTest, SignInComparesExactly) {
  const struct {
    const char* expected;
    const char* entry;
    int result;
  } cases[] = {
      {"583106", "583106", mrOk}, {"Abc", "abc", mrNone}, {"abc", "abc ", mrNone},
      {"", "", mrOk},             {"", "x", mrNone},      {"密码", "密码", mrOk},
      {"abcdefgh", "abcdefg", mrNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.expected) + " / " + c.entry);
    Tfm_LoginForm dialog;
    dialog.ExpectedPassword = c.expected;
    EXPECT_EQ(Enter(dialog, QString::fromUtf8(c.entry)), c.result);
  }
}

TEST_F(PasswordDialogTest, RefusedEntryKeepsTheDialogOpenUntilARightOne) {
  Tfm_LoginForm dialog;
  dialog.ExpectedPassword = "583106";
  dialog.show();
  EXPECT_EQ(Enter(dialog, "583107"), mrNone);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ed_InputPassword->text(), "");
  EXPECT_EQ(dialog.lab_PasswordTip->text(), "Error");
  // Enter presses OK.
  Type(dialog.ed_InputPassword, "583106");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(dialog.ed_InputPassword, &enter);
  EXPECT_EQ(dialog.result(), mrOk);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.lab_PasswordTip->text(), "Error");
}

TEST_F(PasswordDialogTest, CancelAndClosingNeverGiveOk) {
  Tfm_LoginForm cancelled;
  cancelled.ed_InputPassword->setText(QString());
  cancelled.show();
  cancelled.bt_Cancel->click();
  EXPECT_EQ(cancelled.result(), mrCancel);
  Tfm_ModifyPwForm closed;
  closed.show();
  closed.close();
  EXPECT_NE(closed.result(), mrOk);
  EXPECT_FALSE(closed.isVisible());
}

TEST_F(PasswordDialogTest, EscapeClosesNeitherDialog) {
  // Neither dialog has a cancel button, so the Escape key is no way out of it.
  Tfm_LoginForm login;
  Tfm_ModifyPwForm change;
  for (QDialog* dialog : std::initializer_list<QDialog*>{&login, &change}) {
    SCOPED_TRACE(dialog->objectName().toStdString());
    dialog->show();
    QWidget* edit = dialog == &login ? static_cast<QWidget*>(login.ed_InputPassword)
                                     : static_cast<QWidget*>(change.ed_NewPw);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), mrNone);
  }
}

TEST_F(PasswordDialogTest, EditsTakeAtMostEightCodePageBytes) {
  Tfm_LoginForm login;
  Tfm_ModifyPwForm change;
  for (TCp936Edit* edit : {login.ed_InputPassword, change.ed_NewPw, change.ed_NewPwAgain}) {
    SCOPED_TRACE(edit->objectName().toStdString());
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    Type(edit, "123456789");
    EXPECT_EQ(edit->text(), "12345678") << "a ninth byte was taken";
    edit->clear();
    Type(edit, QString::fromUtf8("一二三四五"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("一二三四"));
    edit->clear();
    // A character code page 936 lacks could not be stored as typed.
    Type(edit, "a");
    TypeCharacter(edit, QString::fromUtf8("😀"));
    EXPECT_EQ(edit->text(), "a");
  }
}

TEST_F(PasswordDialogTest, MismatchClearsBothEditsAndKeepsTheDialogOpen) {
  Tfm_ModifyPwForm dialog;
  dialog.show();
  dialog.ed_NewPw->setText("abc");
  dialog.ed_NewPwAgain->setText("ABC");
  dialog.btn_Ok->click();
  EXPECT_EQ(dialog.result(), mrNone);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ed_NewPw->text(), "");
  EXPECT_EQ(dialog.ed_NewPwAgain->text(), "");
  EXPECT_EQ(dialog.lab_ModifyTip->text(), QString::fromUtf8("错误"));
  dialog.btn_Ok->click();  // two empty entries are equal
  EXPECT_EQ(dialog.result(), mrOk);
  EXPECT_EQ(dialog.lab_ModifyTip->text(), QString::fromUtf8("错误"));
}

}  // namespace
