#include "platform/gui/Captions.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/Errors.h"
#include "platform/gui/Containers.h"

QString ControlText(const QWidget& control) {
  if (auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
  if (auto* group = qobject_cast<const QGroupBox*>(&control)) return group->title();
  if (auto* sheet = qobject_cast<const TTabSheet*>(&control)) return sheet->Caption();
  if (auto* edit = qobject_cast<const QLineEdit*>(&control)) return edit->text();
  if (auto* memo = qobject_cast<const QPlainTextEdit*>(&control)) return memo->toPlainText();
  if (auto* combo = qobject_cast<const QComboBox*>(&control)) {
    return combo->currentIndex() < 0 && !combo->isEditable() ? combo->placeholderText()
                                                            : combo->currentText();
  }
  return control.windowTitle();
}

void SetControlText(QWidget& control, const QString& text) {
  if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(&control)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(&control)) {
    group->setTitle(text);
  } else if (auto* sheet = qobject_cast<TTabSheet*>(&control)) {
    sheet->SetCaption(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
    edit->setText(text);
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(&control)) {
    memo->setPlainText(text);
  } else if (control.isWindow()) {
    control.setWindowTitle(text);
  } else {
    throw Exception("Control " + control.objectName().toStdString() + " has no text");
  }
}
