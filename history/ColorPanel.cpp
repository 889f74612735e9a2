#include "history/ColorPanel.h"

#include <QMouseEvent>
#include <QPalette>

TColorPanel::TColorPanel(QWidget* parent) : TPanel(parent) {
  setAutoFillBackground(true);
  SetColor(color_);
}

void TColorPanel::SetColor(TColor color) {
  color_ = color;
  QPalette colours = palette();
  colours.setColor(QPalette::Window, ToQColor(color));
  setPalette(colours);
}

void TColorPanel::mouseReleaseEvent(QMouseEvent* event) {
  TPanel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
      OnClick) {
    OnClick();
  }
}
