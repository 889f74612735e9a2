// The supervision cycle on the main window: the timer's handler runs one tick of the cycle
// (SupervisionCycle) over the meter table, and the window shows what the tick asks it to: the
// clock, the trend points, the tiles, the alarm rows, the alarm window and sound, the SMS
// counter. The tick's problems, and those of opening and closing a recording period, show in
// one error box after the handler.
//
// The overview tiles: one painted canvas inside scrBox_GeneralView shows the cycle's tiles,
// which the tick refreshes channel by channel. The alarm grid shows the alarm records of the
// recording period (AlarmRecords), one grid row per record row, as the tick opens and closes
// them. The grid holds no texts of its own: it draws each cell from the records (its cell
// source), which hold every row once.

#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QString>
#include <QTimer>

#include "platform/Clock.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"
#include "station/app/OverviewCanvas.h"

// The window as the cycle sees it: each call goes to the control that shows it.
class Tfm_MainForm::CycleView final : public TickView {
 public:
  explicit CycleView(Tfm_MainForm& form) : form_(form) {}

  void ShowClock(const std::string& text) override {
    form_.lab_SysTime->setText(QString::fromStdString(text));
  }
  void Animate(int series, const std::string& label, double value) override {
    form_.Animate(series, label, value);
  }
  void ShowChangedTiles() override { form_.ShowChangedTiles(); }
  // The grid draws the rows from the records.
  void ShowAlarmRow(int row, const AlarmRow& /*cells*/, bool opened) override {
    form_.ShowAlarmRow(row, opened);
  }
  void ShowAlarmRecordsReset(const AlarmRow& /*header*/) override {
    form_.ShowAlarmRecordsReset();
  }
  bool AlarmSilenceRequested() override { return form_.AlarmSilenceRequested(); }
  void ShowAlarm(const AlarmActions& actions) override { form_.ShowAlarm(actions); }
  void HideAlarmWindow() override { form_.HideAlarmWindow(); }
  std::string AlarmDelayText() override { return form_.GSMedAlarmDelayT->text().toStdString(); }
  bool SmsAlarmOn() override { return form_.SmsAlarmOn(); }
  SmsPage ReadSmsPage() override { return form_.ReadSmsPage(); }
  void ShowSmsCaption(const std::string& text) override {
    form_.lbYSJS->setText(QString::fromStdString(text));
  }

 private:
  Tfm_MainForm& form_;
};

void Tfm_MainForm::timer_PerSecondTimer() {
  // Ticks wait for the end of start-up (the alarm window the alarm step drives exists only then).
  if (!IsStartupFinished()) return;
  CycleView view(*this);
  Reports reports;
  cycle_.RunTick(Now(), Table(), view, reports);
  ReportLater(reports);
}

void Tfm_MainForm::OpenRecordingFiles() {
  CycleView view(*this);
  Reports reports;
  cycle_.OpenRecordingFiles(Table(), view, reports);
  ReportLater(reports);
}

void Tfm_MainForm::CloseRecordingPeriod() {
  Reports reports;
  cycle_.CloseRecordingPeriod(reports);
  ReportLater(reports);
}

void Tfm_MainForm::ReportLater(std::string text) {
  pendingReports_.push_back(std::move(text));
  if (pendingReports_.size() == 1) QTimer::singleShot(0, this, [this] { ShowPendingReports(); });
}

void Tfm_MainForm::ReportLater(Reports& reports) {
  for (std::string& text : reports) ReportLater(std::move(text));
}

void Tfm_MainForm::ShowPendingReports() {
  if (pendingReports_.empty()) return;  // already shown (closing shows them at once)
  const std::string text = JoinReports(pendingReports_);
  pendingReports_.clear();
  ShowErrorBox(QString::fromStdString(text));
}

// ---- Overview tiles ----

void Tfm_MainForm::BuildOverviewTiles() {
  cycle_.BuildOverviewTiles(Table());
  if (overviewCanvas != nullptr) {
    overviewCanvas->TilesRebuilt();
    return;
  }
  // Inside the scroll box's own content widget, which the box keeps sized to its children,
  // rather than in place of it: the box goes on using that widget.
  overviewCanvas = new OverviewCanvas(cycle_.Tiles(), scrBox_GeneralView->Content());
  overviewCanvas->setObjectName(QStringLiteral("overviewCanvas"));
  overviewCanvas->show();
  overviewCanvas->FollowScrollBox(scrBox_GeneralView);
}

void Tfm_MainForm::ShowChangedTiles() {
  if (overviewCanvas != nullptr) overviewCanvas->ShowChangedTiles();
}

// FormResize.
void Tfm_MainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Every resize builds the tiles afresh from the table (in configuration mode as it is being
  // edited): they show lime with empty texts until the next tick refreshes them. Cheap, as the
  // tiles are plain data; the canvas takes the scroll box's new width by itself.
  BuildOverviewTiles();
  BuildWsdFrames();
}

// ---- Alarm grid ----

void Tfm_MainForm::ShowAlarmRecordsSource() {
  strgGrid_AlarmRecList->SetCellSource([this](int col, int row) {
    return QString::fromStdString(cycle_.Records().CellText(col, row));
  });
}

void Tfm_MainForm::ShowAlarmRow(int row, bool opened) {
  if (!opened) {
    strgGrid_AlarmRecList->InvalidateCell(kEndTimeCol, row);
    return;
  }
  // Every cell of the new row is the record's; no text of the grid's own stands in for one.
  if (row < strgGrid_AlarmRecList->RowCount()) {
    for (int col = 0; col < kAlarmColumnCount; ++col) {
      strgGrid_AlarmRecList->SetCells(col, row, QString());
    }
  }
  strgGrid_AlarmRecList->SetRowCount(row + 1);
}

void Tfm_MainForm::ShowAlarmRecordsReset() {
  // The alarm grid shows the records' header row alone.
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    strgGrid_AlarmRecList->SetCells(col, 0, QString());
  }
  strgGrid_AlarmRecList->SetRowCount(1);
}

void Tfm_MainForm::WriteAlarmRow(int row) {
  // The grid shows the records' rows as they are: the record is what goes into the file.
  if (row < 0 || row >= cycle_.Records().RowCount()) return;
  Reports reports;
  cycle_.Records().WriteAlarmRow(row, reports);
  ReportLater(reports);
}

void Tfm_MainForm::strgGrid_AlarmRecListDrawCell(int col, int row, const QRect& rect,
                                                 QPainter& painter, const TGridDrawState&) {
  painter.fillRect(rect, painter.brush());
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                   strgGrid_AlarmRecList->Cells(col, row));
}
