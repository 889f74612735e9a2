#include "platform/gui/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

#include "common/Errors.h"

namespace {

HookSeam<ErrorBoxHook>& ErrorHook() {
  static HookSeam<ErrorBoxHook> seam;
  return seam;
}

HookSeam<MessageBoxHook>& MessageHook() {
  static HookSeam<MessageBoxHook> seam;
  return seam;
}

HookSeam<ModalHook>& DialogHook() {
  static HookSeam<ModalHook> seam;
  return seam;
}

QString BoxOwnerCaption() { return QCoreApplication::applicationName(); }

int RealMessageBox(const QString& text, const QString& caption, TMsgButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::NoButton,
                  QApplication::activeWindow());
  switch (buttons) {
    case TMsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case TMsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case TMsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok:
      return mrOk;
    case QMessageBox::Yes:
      return mrYes;
    case QMessageBox::No:
      return mrNo;
    default:
      // Closing the box with Escape or its close button answers Cancel (or No for Yes/No).
      return buttons == TMsgButtons::YesNo ? mrNo : mrCancel;
  }
}

}  // namespace

void ShowErrorBox(const QString& text) {
  if (const ErrorBoxHook& hook = ErrorHook().Get()) {
    hook(text);
    return;
  }
  QMessageBox::critical(QApplication::activeWindow(), BoxOwnerCaption(), text);
}

int ShowMessageBox(const QString& text, const QString& caption, TMsgButtons buttons) {
  if (const MessageBoxHook& hook = MessageHook().Get()) return hook(text, caption, buttons);
  return RealMessageBox(text, caption, buttons);
}

int RunModal(QDialog& dialog) {
  if (const ModalHook& hook = DialogHook().Get()) return hook(dialog);
  return dialog.exec();
}

ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook) { return ErrorHook().Set(std::move(hook)); }

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) { return MessageHook().Set(std::move(hook)); }

ModalHook SetModalHook(ModalHook hook) { return DialogHook().Set(std::move(hook)); }

QString ExceptionText(std::exception_ptr error) {
  return QString::fromStdString(ExceptionMessage(error));
}

bool RunGuarded(const std::function<void()>& body) {
  std::exception_ptr error;
  try {
    body();
    return true;
  } catch (...) {
    error = std::current_exception();
  }
  // The box runs its own event loop: show it outside the catch block so that a handler which
  // throws again while the box is up starts from a clean state.
  ShowErrorBox(ExceptionText(error));
  return false;
}
