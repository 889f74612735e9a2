#include "platform/gui/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QColor FromRgbValue(TColor color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QPalette::ColorRole PaletteRole(TColor systemColor) {
  switch (systemColor) {
    case clHighlight:
      return QPalette::Highlight;
    case clHighlightText:
      return QPalette::HighlightedText;
    case clBtnFace:
      return QPalette::Button;
    case clWindow:
      return QPalette::Base;
    case clWindowText:
      return QPalette::Text;
    case clBtnText:
      return QPalette::ButtonText;
    default:
      return QPalette::NoRole;
  }
}

}  // namespace

QColor ToQColor(TColor color) {
  if (!IsSystemColor(color)) return FromRgbValue(color);
  const QPalette::ColorRole role = PaletteRole(color);
  if (role == QPalette::NoRole) return QColor(Qt::black);
  if (qGuiApp) return QGuiApplication::palette().color(QPalette::Active, role);
  return QPalette(QColor(0xF0, 0xF0, 0xF0)).color(QPalette::Active, role);
}

TColor ToTColor(const QColor& color) {
  const QColor rgb = color.toRgb();
  return static_cast<TColor>(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}
