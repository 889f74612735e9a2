#pragma once
// Tfm_ModifyPwForm: the change-password dialog.
//
// A modal dialog created for one showing and destroyed afterwards (owned by its creator, no
// parent window). The caller sets the English texts, shows it with RunModal and, on result 1
// (mrOk), takes the text of ed_NewPw as the new password. Results: 1 only when both edits hold
// the same text (two empty edits included); 2 (mrCancel) from btn_Cancel; closing the window
// gives 0; Escape does nothing (no button is the cancel button). A mismatch keeps the dialog
// open: both edits are cleared and lab_ModifyTip reads "错误" (and keeps that text while the
// dialog lives).
//
// Both edits take at most 8 code page 936 bytes and refuse characters the code page lacks, so an
// accepted password fits Config.dat's 8-byte field and reads back the same after a restart.
// GUI thread only.

#include <QDialog>

class QLabel;
class QPushButton;
class TCp936Edit;

class Tfm_ModifyPwForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 241;
  static constexpr int kClientHeight = 101;
  static constexpr int kPasswordMaxBytes = 8;

  explicit Tfm_ModifyPwForm(QWidget* parent = nullptr);

  QLabel* lab_InputNewPw = nullptr;
  TCp936Edit* ed_NewPw = nullptr;
  QLabel* lab_InputNewPwAgain = nullptr;
  TCp936Edit* ed_NewPwAgain = nullptr;
  QLabel* lab_ModifyTip = nullptr;
  QPushButton* btn_Ok = nullptr;
  QPushButton* btn_Cancel = nullptr;

  // Runs after a press of btn_Ok has set the modal result to 1; sets it back to 0 when the two
  // entries differ, so that the dialog stays open.
  void btn_OkClick();
};
