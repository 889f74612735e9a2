#include "history/ColorDialog.h"

#include <QColorDialog>

namespace {

HookSeam<ColorDialogHook>& Hook() {
  static HookSeam<ColorDialogHook> seam;
  return seam;
}

}  // namespace

std::optional<TColor> ExecuteColorDialog(QWidget* parent, TColor initial) {
  if (const ColorDialogHook& hook = Hook().Get()) return hook(initial);
  const QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
  if (!chosen.isValid()) return std::nullopt;
  return ToTColor(chosen);
}

ColorDialogHook SetColorDialogHook(ColorDialogHook hook) {
  return Hook().Set(std::move(hook));
}
