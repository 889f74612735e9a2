// The supervision cycle on the main window: the timer's handler runs one tick of the cycle
// (SupervisionCycle) over the meter table, and the window shows what the tick asks it to: the
// clock, the trend points, the tiles, the alarm rows, the alarm window and sound, the SMS
// counter. The tick's problems, and those of opening and closing a recording period, show in
// one error box after the handler.

#include <QLabel>
#include <QString>
#include <QTimer>

#include "common/Now.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "station/app/MainForm.h"

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
