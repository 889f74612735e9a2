// Chart navigation and the cross-hair read-out of the history window: the Y range, zooming,
// the scroll track bar under the chart, the print preview, and the cross-hair that follows the
// mouse over the plot area with the time and every channel's value under it.

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSlider>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "common/ValueText.h"
#include "history/Form1.h"
#include "history/ReadOuts.h"
#include "history/parts/ChartNavigation.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ChartPrint.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"

namespace {

constexpr double kZoomInPercent = 115;     // each end of each axis moves inward by 15 % of the span
constexpr double kZoomOutPercent = 85;     // and outward by 15 %

// The smallest and largest X of all the chart's points; 0 and 0 when there are none.
void DataExtent(const TChart& chart, double& lo, double& hi) {
  if (!chart.XDataExtent(lo, hi)) lo = hi = 0;
}

}  // namespace

void TForm1::ConnectChartHandlers() {
  Chart2->OnZoom = [this] { Chart2Zoom(); };
  Chart2->OnScroll = [this] { Chart2Scroll(); };
  Chart2->OnUndoZoom = [this] { Chart2UndoZoom(); };
  Chart2->OnMouseMove = [this](Qt::KeyboardModifiers shift, int x, int y) {
    Chart2MouseMove(shift, x, y);
  };
}

// ---- Y range -------------------------------------------------------------------------------

void TForm1::but_mod_upClick() {
  const float max = AxisRangeValue(ME_histr_up->text().toStdString());
  const float min = AxisRangeValue(ME_histr_down->text().toStdString());
  const std::optional<TAxisMove> move = LeftAxisMove(max, min, Chart2->LeftAxis().Minimum);
  if (!move) {
    ShowMessageBox(QString::fromUtf8(kAxisRangeRefused), QCoreApplication::applicationName());
    return;
  }
  if (move->MaximumFirst) {
    Chart2->SetLeftAxisMaximum(move->Maximum);
    Chart2->SetLeftAxisMinimum(move->Minimum);
  } else {
    Chart2->SetLeftAxisMinimum(move->Minimum);
    Chart2->SetLeftAxisMaximum(move->Maximum);
  }
}

// ---- Zoom and scrolling --------------------------------------------------------------------

void TForm1::Button11Click() { Chart2->ZoomPercent(kZoomInPercent); }

void TForm1::Button12Click() { Chart2->ZoomPercent(kZoomOutPercent); }

void TForm1::but_unzoomClick() { Chart2->UndoZoom(); }

void TForm1::tb_histr_timeChange() {
  if (TrackBarSyncing == 1) return;  // the track bar follows the axis, not the other way round
  const TChartAxis bottom = Chart2->BottomAxis();
  double lo = 0, hi = 0;
  DataExtent(*Chart2, lo, hi);
  const TAxisMove move =
      TrackBarAxisMove(tb_histr_time->value(), lo, hi, bottom.Minimum, bottom.Maximum);
  if (move.MaximumFirst) {
    Chart2->SetBottomAxisMaximum(move.Maximum);
    Chart2->SetBottomAxisMinimum(move.Minimum);
  } else {
    Chart2->SetBottomAxisMinimum(move.Minimum);
    Chart2->SetBottomAxisMaximum(move.Maximum);
  }
}

void TForm1::Chart2Zoom() { SyncTimeTrackBar(); }

void TForm1::Chart2Scroll() { SyncTimeTrackBar(); }

void TForm1::Chart2UndoZoom() { SyncTimeTrackBar(); }

void TForm1::SyncTimeTrackBar() {
  // 1 until the track bar is set, also when a handler in between raises.
  const QScopedValueRollback<std::uint8_t> syncing(TrackBarSyncing, 1);
  const TChartAxis bottom = Chart2->BottomAxis();
  if (bottom.Automatic) {  // nothing zoomed or panned
    tb_histr_time->setEnabled(false);
    return;
  }
  tb_histr_time->setEnabled(true);
  double lo = 0, hi = 0;
  DataExtent(*Chart2, lo, hi);
  if (const std::optional<int> position = TrackBarPosition(bottom.Minimum, lo, hi)) {
    tb_histr_time->setValue(*position);
  }
}

// ---- Print preview -------------------------------------------------------------------------

void TForm1::Button5Click() {
  Chart2->SetPrintMargins(QMargins(0, 0, 0, 0));
  ShowChartPrintPreview(*Chart2);
}

// ---- Cross-hair and read-out ---------------------------------------------------------------

void TForm1::DrawCrossHair(int x, int y) { Chart2->SetCrossHair(QPoint(x, y)); }

void TForm1::Chart2MouseMove(Qt::KeyboardModifiers, int x, int y) {
  if (BusyReading == 1) return;
  if (!Chart2->PlotRect().contains(x, y)) {  // the read-out keeps its last text
    Chart2->ClearCrossHair();
    return;
  }
  DrawCrossHair(x, y);
  if (Chart2->SeriesCount() == 0) return;

  double lo = 0, hi = 0;
  DataExtent(*Chart2, lo, hi);
  const double xv = Chart2->BottomAxisValueAt(x);
  const double yv = Chart2->LeftAxisValueAt(y);
  const std::optional<std::int64_t> idx = view_.ReadOutIndex(xv, lo, hi);
  const TFastLineSeries& first = *Chart2->Series(0);
  if (!idx || *idx >= first.Count()) return;
  const int point = static_cast<int>(*idx);

  readOuts_.ShowReadOutLine(*Label_histr_oncross,
                            QStringLiteral("Current Time: ") + first.Label(point) +
                                QStringLiteral("    Y Coordinate: ") +
                                TChart::LeftAxisLabelText(yv) + QStringLiteral("      "),
                            font(), QSize(kReadOutLineWidth, kReadOutLineHeight));
  const int rows = std::min(Chart2->SeriesCount(), static_cast<int>(ChannelControlList.size()));
  // Every value box lies in the same scroll box, with the same design font.
  const QFont valueFont =
      rows > 0 ? ValueBoxFont(ChannelControlList[0].ValueEdit->parentWidget()->font()) : QFont();
  for (int i = 0; i < rows; ++i) {
    const TFastLineSeries& series = *Chart2->Series(i);
    if (point >= series.Count()) continue;
    const TChannelControls& row = ChannelControlList[i];
    const QString text = QString::fromStdString(ValueText(series.YValue(point)));
    if (text == row.ValueEdit->text()) continue;  // a move along the same point changes no value
    // Whole: the end of a text cut off ("1.2346E-1" of "1.2346E-10") reads as another number.
    readOuts_.ShowValueText(*row.ValueEdit, text, valueFont, row.ValueEditDesign);
  }
}

void TForm1::Series65AfterDrawValues() {
  // The picture has just been drawn anew (new data, colours or axes): the cross-hair that stood
  // over the old one goes until the mouse moves again.
  Chart2->ClearCrossHair();
}
