// "Open History Data": reading a history file's first page into the chart, the side panel of
// per-channel controls, and the reading steps that paging and the search share.

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
// Records are read sequentially in blocks of about this many bytes (one read per block rather
// than one per record).
constexpr std::int64_t kReadBlockBytes = 1024 * 1024;
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
    HistoryFileReader reader;
    if (OpenShowableFile(reader, QFile::encodeName(open_histr_data.FileName()).toStdString())) {
      ShowOpenedFile(reader);
      notice = ChannelCutNotice(reader);
    }
  }
  Button1->setEnabled(true);
  FinishReading();
  // Once, over the curves shown: a file of more than 128 channels is shown cut down.
  if (!notice.empty()) {
    ShowMessageBox(QString::fromStdString(notice), QCoreApplication::applicationName());
  }
}

void TForm1::ShowOpenedFile(const HistoryFileReader& reader) {
  // The curves are drawn once, when everything has been read, not at each step of the gauge.
  const TChartUpdate holdPicture(*Chart2);
  THistoryViewState& state = HistoryViewState;
  const int channels = ShownChannelCount(reader);
  const TRecordTimeline timeline = TRecordTimeline::Of(reader);
  const std::int64_t pageRecords = std::min<std::int64_t>(timeline.RecordCount, kPageRecordLimit);
  BusyReading = 1;
  StatusBar1->SetPanelText(0, QFile::decodeName(reader.Path().c_str()));
  state.HistoryFilePath = reader.Path();

  state.PageCount = PageCountFor(timeline.RecordCount, kPageRecordLimit);
  state.CurrentPage = 1;
  Label_histr_pagecount->setText(
      QString::fromStdString(PageLabelText(state.PageCount, state.CurrentPage)));

  ReplaceSeries(channels, pageRecords);
  for (int i = 0; i < channels; ++i) {
    TFastLineSeries* series = Chart2->Series(i);
    series->SetTitle(QString::fromStdString(ChannelAliasTable.Alias(i)));
    BindAfterDrawValues(*series);
  }
  BuildChannelPanel(reader.Header());
  CurveSelectedFlags.fill(1);

  state.FileStartTime = MsToDateTime(timeline.StartMs);
  const TDateTime pageEnd = MsToDateTime(timeline.RecordTimeMs(pageRecords));
  SetPickerDateTime(*DateTimePickerEndDate, pageEnd);
  SetPickerDateTime(*DateTimePickerEndTime, pageEnd);
  state.FileEndTime = MsToDateTime(timeline.EndMs());

  const std::int64_t read = PlotRecords(reader, 0, pageRecords, timeline.StartMs);
  MovePageState(reader.ChannelCount(), 0, read, timeline);
  Button_histr_back->setEnabled(false);
  Button_histr_next->setEnabled(read == kPageRecordLimit);

  SetPickerDateTime(*DateTimer_give_date, state.FileStartTime);
  SetPickerDateTime(*DateTimer_give_time, state.FileStartTime);
  lb_histr_time->setText(
      QString::fromStdString(TimeRangeText(state.FileStartTime, state.FileEndTime)));
  CheckBox_allhisrt_curve->setEnabled(true);
  BusyReading = 0;
  Button_expro_histr->setEnabled(true);
}

void TForm1::MovePageState(int channels, std::int64_t firstRecord, std::int64_t recordsRead,
                           const TRecordTimeline& timeline) {
  THistoryViewState& state = HistoryViewState;
  state.PageStartPos = OffsetOfRecord(firstRecord, channels);
  state.NextPagePos = OffsetOfRecord(firstRecord + recordsRead, channels);
  state.PageStartTime = MsToDateTime(timeline.RecordTimeMs(firstRecord));
  state.NextPageTime = MsToDateTime(timeline.RecordTimeMs(firstRecord + recordsRead));
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

std::int64_t TForm1::PlotRecords(const HistoryFileReader& reader, std::int64_t first,
                                 std::int64_t limit, std::int64_t firstLabelMs) {
  Panel_histread_progress->setVisible(true);
  CGauge1->setToolTip(kReadingHint);
  CGauge1->setMaximum(ProgressMaximum(limit));
  CGauge1->setValue(0);
  RepaintWhileReading();

  // Whole records are read; the curves take their first channels (all but in a file of more
  // than 128).
  const int recordValues = reader.ChannelCount();
  const int curves = ShownChannelCount(reader);
  const std::int64_t intervalMs = TRecordTimeline::Of(reader).IntervalMs;
  // Series 0's point j is labelled with the time firstLabelMs + j·interval: formatted when it is
  // shown (an axis label, the read-out), not for each of the records read.
  TChart* chart = Chart2;
  chart->SetXLabelSource([chart, firstLabelMs, intervalMs](std::int64_t x) {
    if (chart->SeriesCount() == 0 || x < 0 || x > chart->Series(0)->LastX()) return QString();
    return DisplayTime(firstLabelMs + x * intervalMs);
  });
  const std::int64_t blockRecords =
      std::max<std::int64_t>(1, kReadBlockBytes / (std::int64_t(recordValues) * sizeof(float)));
  std::vector<float> block(static_cast<std::size_t>(blockRecords * recordValues));
  std::int64_t done = 0;
  HistoryViewState.PointsShown = 0;
  shownRecords_ = {first, 0, firstLabelMs};
  QElapsedTimer sinceRepaint;
  sinceRepaint.start();
  while (done < limit) {
    const std::int64_t wanted = std::min(blockRecords, limit - done);
    std::int64_t got = 0;
    // A file that has become shorter ends the reading at its last whole record.
    (void)reader.ReadRecords(first + done, wanted, block.data(), &got);
    for (int i = 0; i < curves; ++i) {
      Chart2->Series(i)->AddValues(block.data() + i, static_cast<int>(got), recordValues);
    }
    done += got;
    HistoryViewState.PointsShown = done;
    CGauge1->setValue(static_cast<int>(std::min<std::int64_t>(done, CGauge1->maximum())));
    if (sinceRepaint.elapsed() >= kWindowRepaintMs) {
      RepaintWhileReading();
      sinceRepaint.restart();
    }
    if (got < wanted) break;
  }
  shownRecords_ = {first, done, firstLabelMs};
  return done;
}

bool TForm1::OpenShowableFile(HistoryFileReader& reader, const std::string& path) const {
  const FileStatus status = reader.Open(path);
  if (!status.ok() && status.Error != FileError::BadContent) return false;
  const std::string refusal = status.ok() ? HistoryFileShowRefusal(reader) : status.Message;
  if (refusal.empty()) return true;
  ShowMessageBox(QString::fromStdString(refusal), QCoreApplication::applicationName());
  return false;
}

bool TForm1::ReopenShownFile(HistoryFileReader& reader) const {
  return OpenShowableFile(reader, HistoryViewState.HistoryFilePath) &&
         ShownChannelCount(reader) == static_cast<int>(ChannelControlList.size());
}

void TForm1::FinishReading() {
  Panel_histread_progress->setVisible(false);
  but_unzoomClick();
}
