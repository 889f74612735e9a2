// Curve visibility and colours of the history window: the channel check boxes and "ALL" (which
// also decide what the export writes, through the view's CurveSelectedFlags), the curve colour
// picked by channel, and the chart's back colour. Nothing here is saved.

#include <QCheckBox>
#include <QComboBox>

#include <algorithm>

#include "history/ColorDialog.h"
#include "history/ColorPanel.h"
#include "history/Form1.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"

namespace {

// Channels that have both a curve and a side-panel row (always all of them once a file is
// shown; none before).
int ChannelRows(const TChart& chart, const std::vector<TChannelControls>& rows) {
  return std::min({chart.SeriesCount(), static_cast<int>(rows.size()), kViewerMaxChannels});
}

// The channel picked in Combox_histrch_color, or -1 when it names no curve (no file shown).
int PickedCurve(const QComboBox& combo, const TChart& chart) {
  const int k = ComboItemIndex(combo);
  return k >= 0 && k < chart.SeriesCount() ? k : -1;
}

}  // namespace

void TForm1::CheckBox_all_histr_curveClick() {
  for (int i = 0; i < ChannelRows(*Chart2, ChannelControlList); ++i) {
    const bool checked = ChannelControlList[i].CheckBox->isChecked();
    // The line goes, the series stays: it keeps its legend entry and its read-out value.
    Chart2->Series(i)->SetLineVisible(checked);
    view_.SetCurveSelected(i, checked);
  }
}

void TForm1::CheckBox_allhisrt_curveClick() {
  const bool all = CheckBox_allhisrt_curve->isChecked();
  for (int i = 0; i < ChannelRows(*Chart2, ChannelControlList); ++i) {
    // A box whose state changes runs CheckBox_all_histr_curveClick, which sets the flags.
    ChannelControlList[i].CheckBox->setChecked(all);
    Chart2->Series(i)->SetLineVisible(all);
  }
}

void TForm1::Combox_histrch_colorChange() {
  const int k = PickedCurve(*Combox_histrch_color, *Chart2);
  if (k < 0) return;
  Pnl_histr_color->SetColor(Chart2->Series(k)->Color());
}

void TForm1::Pnl_histr_colorClick() {
  const int k = PickedCurve(*Combox_histrch_color, *Chart2);
  if (k < 0) return;  // no curve to recolour: the dialog is not even shown
  const std::optional<TColor> chosen = ExecuteColorDialog(this, ColorDialog1Color);
  if (!chosen) return;
  ColorDialog1Color = *chosen;
  Pnl_histr_color->SetColor(*chosen);
  Chart2->Series(k)->SetColor(*chosen);
  if (k < static_cast<int>(ChannelControlList.size())) {
    ChannelControlList[k].ColorPanel->SetColor(*chosen);
  }
}

void TForm1::Panel_back_colorClick() {
  const std::optional<TColor> chosen = ExecuteColorDialog(this, ColorDialog1Color);
  if (!chosen) return;
  ColorDialog1Color = *chosen;
  Panel_back_color->SetColor(*chosen);
  Chart2->SetBackColor(*chosen);
}
