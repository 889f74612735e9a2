#include "platform/gui/UpDown.h"

#include <QLineEdit>

TUpDown::TUpDown(QWidget* parent) : QSpinBox(parent) {
  setWrapping(false);
  lineEdit()->setReadOnly(true);
}

void TUpDown::stepBy(int steps) {
  QSpinBox::stepBy(steps);
  if (OnClick) OnClick();
}

QAbstractSpinBox::StepEnabled TUpDown::stepEnabled() const {
  return StepUpEnabled | StepDownEnabled;
}
