#include "platform/gui/ComboBoxes.h"

#include <QPainter>
#include <QPixmap>
#include <QStringList>

#include <array>

#include "platform/gui/Dialogs.h"

namespace {

struct NamedColor {
  TColor color;
  const char* name;
};

constexpr std::array<NamedColor, 16> kStandardColors = {{
    {clBlack, "Black"},   {clMaroon, "Maroon"},   {clGreen, "Green"}, {clOlive, "Olive"},
    {clNavy, "Navy"},     {clPurple, "Purple"},   {clTeal, "Teal"},   {clGray, "Gray"},
    {clSilver, "Silver"}, {clRed, "Red"},         {clLime, "Lime"},   {clYellow, "Yellow"},
    {clBlue, "Blue"},     {clFuchsia, "Fuchsia"}, {clAqua, "Aqua"},   {clWhite, "White"},
}};

constexpr int kSwatchSize = 12;
const char* const kCustomColorName = "Custom";

QPixmap Swatch(TColor color) {
  QPixmap pixmap(kSwatchSize, kSwatchSize);
  pixmap.fill(ToQColor(color));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, kSwatchSize - 1, kSwatchSize - 1);
  return pixmap;
}

}  // namespace

QComboBox* MakeListCombo(const QStringList& items, int selected, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(false);
  combo->addItems(items);
  SetComboItemIndex(*combo, selected);
  return combo;
}

int ComboItemIndex(const QComboBox& combo) { return combo.currentIndex(); }

void SetComboItemIndex(QComboBox& combo, int index) {
  combo.setCurrentIndex(index >= 0 && index < combo.count() ? index : -1);
}

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setIconSize(QSize(kSwatchSize, kSwatchSize));
  for (const NamedColor& entry : kStandardColors) AddColorItem(entry.color, entry.name);
  setCurrentIndex(0);
  last_ = Selected();
  connect(this, &QComboBox::activated, this, Guarded([this](int index) { OperatorPicked(index); }));
}

TColor TColorBox::Selected() const {
  const int index = currentIndex();
  return index < 0 ? clBlack : itemData(index).toInt();
}

void TColorBox::SetSelected(TColor color) {
  int index = findData(color);
  if (index < 0) {
    index = findText(kCustomColorName);
    if (index < 0) {
      AddColorItem(color, kCustomColorName);
      index = count() - 1;
    } else {
      setItemData(index, color);
      setItemIcon(index, Swatch(color));
    }
  }
  setCurrentIndex(index);
  last_ = color;
}

void TColorBox::AddColorItem(TColor color, const QString& name) {
  addItem(Swatch(color), name, QVariant(static_cast<int>(color)));
}

void TColorBox::OperatorPicked(int index) {
  if (index < 0) return;
  const TColor picked = itemData(index).toInt();
  if (picked == last_) return;
  last_ = picked;
  if (OnChange) OnChange();
}
