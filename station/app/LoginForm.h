#pragma once
// Tfm_LoginForm: the sign-in dialog that guards configuration mode.
//
// A modal dialog created for one showing and destroyed afterwards (owned by its creator, no
// parent window). The caller sets ExpectedPassword and the English texts, then shows it with
// RunModal. Results: 1 (mrOk) only for an entry equal to ExpectedPassword, and never while
// ReadProblem is set; 2 (mrCancel) from bt_Cancel; closing the window gives 0; Escape does
// nothing (no button is the cancel button).
// A wrong entry keeps the dialog open: the edit is cleared and lab_PasswordTip reads "Error"
// (and keeps that text while the dialog lives).
//
// The password edit takes at most 8 code page 936 bytes and refuses characters the code page
// lacks, so whatever is typed can be stored in Config.dat's 8-byte field and read back the same.
// GUI thread only.

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class TCp936Edit;

class Tfm_LoginForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 184;
  static constexpr int kClientHeight = 95;
  static constexpr int kPasswordMaxBytes = 8;

  explicit Tfm_LoginForm(QWidget* parent = nullptr);

  QLabel* lab_InputPassword = nullptr;
  TCp936Edit* ed_InputPassword = nullptr;
  QLabel* lab_PasswordTip = nullptr;
  QPushButton* bt_Ok = nullptr;
  QPushButton* bt_Cancel = nullptr;

  // UTF-8; compared exactly (same bytes, same length) with the entry.
  std::string ExpectedPassword;
  // Set when the stored password could not be read ("Config.dat cannot be read: <reason>"):
  // then no entry is accepted, and OK shows this text in a message box besides the tip.
  std::string ReadProblem;

  // Runs after a press of bt_Ok has set the modal result to 1; sets it back to 0 on a wrong
  // entry, so that the dialog stays open.
  void bt_OkClick();
};
