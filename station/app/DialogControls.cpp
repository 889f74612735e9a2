#include "station/app/DialogControls.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "common/MeterRecord.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"

namespace {

template <class Control>
Control* Placed(Control* control, const char* objectName, const QRect& rect) {
  control->setObjectName(QString::fromLatin1(objectName));
  control->setGeometry(rect);
  return control;
}

// Swallows the Escape key on its way to the dialog, where QDialog would reject (close) it.
class EscapeKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void SetUpDialogFrame(QDialog& dialog, const char* objectName, const char* caption, int width,
                      int height) {
  dialog.setObjectName(QString::fromLatin1(objectName));
  dialog.setWindowTitle(QString::fromUtf8(caption));
  dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                        Qt::MSWindowsFixedSizeDialogHint);
  dialog.setFixedSize(width, height);
  dialog.setFont(DesignFont());
}

QLabel* NewDialogLabel(QDialog& dialog, const char* objectName, const char* caption,
                       const QRect& rect) {
  return Placed(new QLabel(QString::fromUtf8(caption), &dialog), objectName, rect);
}

QPushButton* NewDialogButton(QDialog& dialog, const char* objectName, const char* caption,
                             const QRect& rect) {
  return Placed(new QPushButton(QString::fromUtf8(caption), &dialog), objectName, rect);
}

TCp936Edit* NewPasswordEdit(QDialog& dialog, const char* objectName, int maxBytes,
                            const QRect& rect) {
  auto* edit = Placed(new TCp936Edit(&dialog), objectName, rect);
  edit->SetMaxBytes(maxBytes);
  edit->setEchoMode(QLineEdit::Password);
  return edit;
}

TCp936Edit* NewDialogEdit(QDialog& dialog, const char* objectName, const char* text, int maxBytes,
                          const QRect& rect) {
  auto* edit = Placed(new TCp936Edit(QString::fromUtf8(text), &dialog), objectName, rect);
  edit->SetMaxBytes(maxBytes);
  return edit;
}

QComboBox* NewDialogCombo(QDialog& dialog, const char* objectName, const QStringList& items,
                          int selected, const QRect& rect) {
  return Placed(MakeListCombo(items, selected, &dialog), objectName, rect);
}

QStringList ComPortItems() {
  QStringList items;
  for (int port = 1; port <= kComPortCount; ++port) items << QStringLiteral("COM%1").arg(port);
  return items;
}

QStringList DecimalsItems() {
  QStringList items;
  for (int decimals = 0; decimals <= kMaxDecimals; ++decimals) items << QString::number(decimals);
  return items;
}

void ShowInputError(const char* text) {
  ShowMessageBox(QString::fromUtf8(text), QStringLiteral("错误"));
}

void MakeOkButton(QDialog& dialog, QPushButton& button, std::function<void()> check) {
  button.setDefault(true);
  QObject::connect(&button, &QPushButton::clicked, &dialog, [&dialog, check = std::move(check)] {
    dialog.setResult(mrOk);
    // A check that fails with an error keeps the dialog open, as a refused entry does.
    if (!RunGuarded(check)) dialog.setResult(mrNone);
    if (dialog.result() != mrNone) dialog.done(dialog.result());
  });
}

void MakeCancelButton(QDialog& dialog, QPushButton& button) {
  QObject::connect(&button, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(mrCancel); });
}

void KeepOpenOnEscape(QDialog& dialog) {
  dialog.installEventFilter(new EscapeKeyFilter(&dialog));
}
