#include "history/ColorDialog.h"

#include <QColorDialog>

namespace {

ColorDialogHook& Hook() {
  static ColorDialogHook hook;
  return hook;
}

}  // namespace

std::optional<TColor> ExecuteColorDialog(QWidget* parent, TColor initial) {
  if (Hook()) return Hook()(initial);
  const QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
  if (!chosen.isValid()) return std::nullopt;
  return ToTColor(chosen);
}

ColorDialogHook SetColorDialogHook(ColorDialogHook hook) {
  return std::exchange(Hook(), std::move(hook));
}
