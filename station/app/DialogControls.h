#pragma once
// Building blocks of the station's small modal dialogs (sign-in, change password, batch add): a
// fixed-size frame centred on the desktop, controls at design positions, password edits, the
// modal-result behaviour of their buttons, and the item lists and input-error box that the
// dialogs share with the main window. GUI thread only.
//
// Modal results (TModalResult): the dialog's QDialog::result(). A button that carries a modal
// result closes the dialog with it; the OK button first sets 1 (mrOk), then runs its check,
// which may set the result back to 0 (mrNone) to keep the dialog open. Closing the window
// gives 0.

#include <QDialog>
#include <QRect>
#include <QStringList>

#include <functional>

// Edit limits of the texts that end up in meter and channel record fields, in code page 936
// bytes (the field width minus its NUL; start register, port and limits are edit lengths).
inline constexpr int kNameMaxBytes = 39;
inline constexpr int kUnitMaxBytes = 19;
inline constexpr int kIpAddressMaxBytes = 15;
inline constexpr int kStartRegisterMaxBytes = 5;
inline constexpr int kPortMaxBytes = 39;
inline constexpr int kLimitMaxBytes = 10;

class QComboBox;
class QLabel;
class QPushButton;
class TCp936Edit;

// Object name, design caption and client size, the design font; no resizing, no help button. The
// dialog is centred on the desktop when shown (it has no parent window).
void SetUpDialogFrame(QDialog& dialog, const char* objectName, const char* caption, int width,
                      int height);
// Controls at their design rectangles, named by objectName; texts are UTF-8.
QLabel* NewDialogLabel(QDialog& dialog, const char* objectName, const char* caption,
                       const QRect& rect);
QPushButton* NewDialogButton(QDialog& dialog, const char* objectName, const char* caption,
                             const QRect& rect);
// A password edit (echo hidden) that takes at most maxBytes code page 936 bytes.
TCp936Edit* NewPasswordEdit(QDialog& dialog, const char* objectName, int maxBytes,
                            const QRect& rect);
// An edit with its design text that takes at most maxBytes code page 936 bytes (0 = no limit).
TCp936Edit* NewDialogEdit(QDialog& dialog, const char* objectName, const char* text, int maxBytes,
                          const QRect& rect);
// A pick-only list (MakeListCombo) with item `selected` selected.
QComboBox* NewDialogCombo(QDialog& dialog, const char* objectName, const QStringList& items,
                          int selected, const QRect& rect);

// Items of the COM port lists, "COM1" to "COM40" (item index = COM index), and of the decimals
// lists, "0" to "4".
QStringList ComPortItems();
QStringList DecimalsItems();

// The station's input-error box: `text` (UTF-8) in a message box captioned "错误" with an OK
// button.
void ShowInputError(const char* text);

// The default button: Enter presses it. A press sets the result to mrOk, runs `check` (under the
// error guard) and closes the dialog unless the result is then mrNone.
void MakeOkButton(QDialog& dialog, QPushButton& button, std::function<void()> check);
// A press closes the dialog with mrCancel.
void MakeCancelButton(QDialog& dialog, QPushButton& button);
// For a dialog without a cancel button: the Escape key does not close it (only the window's close
// button and the dialog's own buttons do).
void KeepOpenOnEscape(QDialog& dialog);
