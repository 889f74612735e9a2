#pragma once
// Combo boxes as the station's editors use them: an item index that is -1 when no item is
// selected, and a colour box whose selection is a TColor.
//
// The station's combo boxes are lists the operator picks from (QComboBox without an edit
// field): a typed text that matches no item would leave no item selected and put an index
// outside its table into a record byte. A list may still start with no item selected and show a
// design text in its place (placeholder text).

#include <QComboBox>
#include <QStringList>

#include <functional>

#include "platform/gui/Colors.h"

// A pick-only combo box holding `items`, with `selected` selected (-1: none).
QComboBox* MakeListCombo(const QStringList& items, int selected, QWidget* parent = nullptr);
// The selected item's index, -1 when none is selected.
int ComboItemIndex(const QComboBox& combo);
// Selects item `index`; -1 or any index that names no item leaves no item selected (as the
// platform's combo box does), so a stored index outside the list never reads back as another
// item.
void SetComboItemIndex(QComboBox& combo, int index);

// The colour box: the sixteen standard colours, each shown as a swatch and its name. A colour
// set from code that is not in the list (a channel colour from Config.dat) is added as a
// "Custom" item and selected, so reading it back gives the same value instead of another one.
// OnChange runs when the operator picks a different colour; setting Selected from code does not
// run it. GUI thread only.
class TColorBox : public QComboBox {
  Q_OBJECT
 public:
  explicit TColorBox(QWidget* parent = nullptr);

  // The selected colour; clBlack when no item is selected.
  TColor Selected() const;
  void SetSelected(TColor color);

  std::function<void()> OnChange;

 private:
  void AddColorItem(TColor color, const QString& name);
  void OperatorPicked(int index);

  TColor last_ = clBlack;
};
