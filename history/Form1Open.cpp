// "Open History Data": a history file's first page in the chart and the side panel of
// per-channel controls; and the window as the sink that the view reads records into, for the
// open, paging and the search alike.

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimeEdit>
#include <algorithm>
#include <vector>

#include "common/FixedText.h"
#include "history/ColorPanel.h"
#include "history/DatePickers.h"
#include "history/Form1.h"
#include "history/ReadOuts.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StatusBar.h"

namespace {

const QString kReadingHint = QStringLiteral("It is reading the historical data, please wait!");
// The gauge repaints itself as its value moves; whatever else changed in the window meanwhile
// is painted after a block when this long has passed since it last was.
constexpr qint64 kWindowRepaintMs = 250;

// Side-panel rows: one per channel below "ALL", 22 pixels apart.
constexpr int kRowTop = 28;
constexpr int kRowPitch = 22;
constexpr int kRowHeight = 20;
constexpr QRect kCheckBoxColumn(8, 0, 150, kRowHeight);
constexpr QRect kValueEditColumn(165, 0, 60, kRowHeight);
constexpr QRect kColorPanelColumn(230, 0, 20, kRowHeight);

QRect InRow(const QRect& column, int row) {
  return column.translated(0, kRowTop + kRowPitch * row);
}

QString DisplayTime(std::int64_t ms) {
  return QString::fromStdString(FormatDateTime(kDisplayDateTimePattern, MsToDateTime(ms)));
}

// Paints what changed (the gauge) without taking any user input: no handler can run while the
// window reads.
void RepaintWhileReading() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

QLineEdit* NewValueEdit(QWidget* parent) {
  auto* edit = new QLineEdit(QStringLiteral("0.0"), parent);
  edit->setFont(ValueBoxFont(parent->font()));
  // Blue text by the palette: a style sheet per edit would cost a style of its own for each of
  // up to 128 rows.
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Text, Qt::blue);
  edit->setPalette(palette);
  return edit;
}

}  // namespace

void TForm1::but_open_histr_dataClick() {
  std::string notice;
  if (open_histr_data.Execute(this)) {
    const THistoryView::TOpened opened =
        view_.Open(QFile::encodeName(open_histr_data.FileName()).toStdString());
    ShowViewMessage(opened.Refusal);
    if (opened.Shown) {
      ShowOpenedFile();
      notice = opened.Notice;
    }
  }
  Button1->setEnabled(true);
  FinishReading();
  // Once, over the curves shown: a file of more than 128 channels is shown cut down.
  ShowViewMessage(notice);
}

void TForm1::ShowOpenedFile() {
  const THistoryViewState& state = view_.HistoryViewState();
  StatusBar1->SetPanelText(0, QFile::decodeName(state.HistoryFilePath.c_str()));
  const TDateTime pageEnd = view_.FirstPageEnd();
  SetPickerDateTime(*DateTimePickerEndDate, pageEnd);
  SetPickerDateTime(*DateTimePickerEndTime, pageEnd);

  // The curves and the side panel (ReplaceCurves), then the records.
  ShowPageTurn(view_.ReadFirstPage(*this));

  SetPickerDateTime(*DateTimer_give_date, state.FileStartTime);
  SetPickerDateTime(*DateTimer_give_time, state.FileStartTime);
  lb_histr_time->setText(
      QString::fromStdString(TimeRangeText(state.FileStartTime, state.FileEndTime)));
  CheckBox_allhisrt_curve->setEnabled(true);
  Button_expro_histr->setEnabled(true);
}

void TForm1::ShowPageTurn(const THistoryView::TPageTurn& turn) {
  ShowViewMessage(turn.Refusal);
  if (!turn.Read) return;
  const THistoryViewState& state = view_.HistoryViewState();
  Label_histr_pagecount->setText(
      QString::fromStdString(PageLabelText(state.PageCount, state.CurrentPage)));
  Button_histr_back->setEnabled(turn.BackEnabled);
  Button_histr_next->setEnabled(turn.NextEnabled);
}

void TForm1::BuildChannelPanel(const THistoryFileHeader& header) {
  FreeChannelPanel();
  Combox_histrch_color->clear();
  ComboBoxChName->clear();
  ScrollBox_hisrt_color->horizontalScrollBar()->setValue(0);
  ScrollBox_hisrt_color->verticalScrollBar()->setValue(0);

  QWidget* rows = ScrollBox_hisrt_color->Content();
  const int stored = header.ChannelCount;  // a copy: std::clamp would bind to the packed field
  const int channels = std::clamp(stored, 0, kViewerMaxChannels);
  for (int i = 0; i < channels; ++i) {
    const QString name = QString::fromStdString(ReadFixedText(header.ChannelNames[i]));
    TChannelControls row;
    row.CheckBox = new QCheckBox(name, rows);
    row.CheckBox->setGeometry(InRow(kCheckBoxColumn, i));
    row.CheckBox->setChecked(true);
    connect(row.CheckBox, &QCheckBox::toggled, this,
            Guarded([this] { CheckBox_all_histr_curveClick(); }));
    row.ValueEdit = NewValueEdit(rows);
    row.ValueEditDesign = InRow(kValueEditColumn, i);
    row.ValueEdit->setGeometry(row.ValueEditDesign);
    row.ColorPanel = new TColorPanel(rows);
    row.ColorPanel->setGeometry(InRow(kColorPanelColumn, i));
    row.ColorPanel->SetColor(Chart2->Series(i)->Color());
    for (QWidget* control :
         {static_cast<QWidget*>(row.CheckBox), static_cast<QWidget*>(row.ValueEdit),
          static_cast<QWidget*>(row.ColorPanel)}) {
      control->setVisible(true);
    }
    ChannelControlList.push_back(row);
    Combox_histrch_color->addItem(name);
    ComboBoxChName->addItem(name);
    Chart2->Series(i)->SetActive(true);
  }
  // No channel is picked for an alias until the user picks one.
  SetComboItemIndex(*ComboBoxChName, -1);
  SetComboItemIndex(*Combox_histrch_color, 0);
  if (channels > 0) Pnl_histr_color->SetColor(Chart2->Series(0)->Color());
  ScrollBox_hisrt_color->UpdateScrollRange();
}

void TForm1::FreeChannelPanel() {
  for (const TChannelControls& row : ChannelControlList) {
    delete row.CheckBox;
    delete row.ValueEdit;
    delete row.ColorPanel;
  }
  ChannelControlList.clear();
}

void TForm1::ReplaceSeries(int channels, std::int64_t points) {
  Chart2->RemoveAllSeries();
  // Room for every point from the start (0: a series that grows as needed).
  const int capacity = static_cast<int>(std::clamp<std::int64_t>(points, 0, INT32_MAX));
  for (int i = 0; i < channels; ++i) Chart2->AddSeries(capacity);
}

void TForm1::BindAfterDrawValues(TFastLineSeries& series) {
  series.OnAfterDrawValues = [this] { Series65AfterDrawValues(); };
}

void TForm1::ShowViewMessage(const std::string& text) const {
  if (text.empty()) return;
  ShowMessageBox(QString::fromStdString(text), QCoreApplication::applicationName());
}

void TForm1::FinishReading() {
  Panel_histread_progress->setVisible(false);
  but_unzoomClick();
}

// ---- The sink the view reads records into ----------------------------------------------------

void TForm1::BeginUpdate() { Chart2->BeginUpdate(); }

void TForm1::EndUpdate() { Chart2->EndUpdate(); }

void TForm1::BeginReading() { BusyReading = 1; }

void TForm1::EndReading() { BusyReading = 0; }

int TForm1::CurveCount() const { return Chart2->SeriesCount(); }

void TForm1::ReplaceCurves(TCurves kind, int curves, std::int64_t points) {
  ReplaceSeries(curves, points);
  switch (kind) {
    case TCurves::Opened:
      for (int i = 0; i < curves; ++i) {
        TFastLineSeries* series = Chart2->Series(i);
        series->SetTitle(QString::fromStdString(view_.ChannelAliasTable().Alias(i)));
        BindAfterDrawValues(*series);
      }
      BuildChannelPanel(view_.Header());
      break;
    case TCurves::Paged:
      // Series made by paging carry no titles and the chart's own colours; only series 0
      // reports its drawing.
      BindAfterDrawValues(*Chart2->Series(0));
      break;
    case TCurves::Searched:
      for (int i = 0; i < curves; ++i) {
        TFastLineSeries* series = Chart2->Series(i);
        series->SetColor(ChannelControlList.at(i).ColorPanel->Color());
        series->SetTitle(QString::fromStdString(view_.ChannelAliasTable().Alias(i)));
        BindAfterDrawValues(*series);
      }
      break;
  }
}

void TForm1::RemoveCurves() { Chart2->RemoveAllSeries(); }

void TForm1::RememberCurves() {
  std::vector<TCurveLook> looks;
  looks.reserve(static_cast<std::size_t>(Chart2->SeriesCount()));
  for (int i = 0; i < Chart2->SeriesCount(); ++i) {
    const TFastLineSeries& series = *Chart2->Series(i);
    looks.push_back({series.Color(), series.Title(), series.Active(), series.LineVisible(),
                     series.LineWidth(), static_cast<bool>(series.OnAfterDrawValues)});
  }
  rememberedCurves_ = std::move(looks);
}

void TForm1::RestoreCurves(std::int64_t points) {
  ReplaceSeries(static_cast<int>(rememberedCurves_.size()), points);
  for (std::size_t i = 0; i < rememberedCurves_.size(); ++i) {
    const TCurveLook& look = rememberedCurves_[i];
    TFastLineSeries& series = *Chart2->Series(static_cast<int>(i));
    series.SetColor(look.Color);
    series.SetTitle(look.Title);
    series.SetActive(look.Active);
    series.SetLineVisible(look.LineVisible);
    series.SetLineWidth(look.LineWidth);
    if (look.AfterDrawValues) BindAfterDrawValues(series);
  }
}

void TForm1::BeginRecords(std::int64_t records, std::int64_t firstLabelMs,
                          std::int64_t intervalMs) {
  Panel_histread_progress->setVisible(true);
  CGauge1->setToolTip(kReadingHint);
  CGauge1->setMaximum(ProgressMaximum(records));
  CGauge1->setValue(0);
  RepaintWhileReading();
  // Series 0's point j is labelled with the time firstLabelMs + j·interval: formatted when it is
  // shown (an axis label, the read-out), not for each of the records read.
  TChart* chart = Chart2;
  chart->SetXLabelSource([chart, firstLabelMs, intervalMs](std::int64_t x) {
    if (chart->SeriesCount() == 0 || x < 0 || x > chart->Series(0)->LastX()) return QString();
    return DisplayTime(firstLabelMs + x * intervalMs);
  });
  sinceRepaint_.start();
}

void TForm1::AddRecords(const float* values, int records, int recordValues, int curves) {
  for (int i = 0; i < curves; ++i) Chart2->Series(i)->AddValues(values + i, records, recordValues);
}

void TForm1::RecordsRead(std::int64_t done) {
  CGauge1->setValue(static_cast<int>(std::min<std::int64_t>(done, CGauge1->maximum())));
  if (sinceRepaint_.elapsed() >= kWindowRepaintMs) {
    RepaintWhileReading();
    sinceRepaint_.restart();
  }
}
