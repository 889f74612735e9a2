// The supervision cycle: one tick a second on the GUI thread, in run mode.
//
// A tick reads the clock once and drives, in this order: the clock text; for every channel of
// every meter (table order) its trend point, its entry of the tick value list, its overview tile
// and its alarm rows; after each meter's channels, that meter's text row when its record interval
// has passed; the alarm step; the history record when one is due.
//
// The steps are kept apart: an error raised by one of them (a bad delay text in the alarm step,
// for one) ends that step only, so the tick still records its history and text rows. The error is
// shown once, after the tick, and again only after the step has succeeded in between; the same
// holds for files that cannot be written. Missed ticks are not made up; only the history schedule
// catches up, one record per tick.

#include <QLabel>
#include <QString>
#include <QTimer>

#include <exception>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "platform/Clock.h"
#include "platform/gui/Dialogs.h"
#include "station/app/MainForm.h"
#include "station/app/OverviewCanvas.h"

namespace {

constexpr std::string_view kClockPrefix = "Time : ";
constexpr std::string_view kClockSuffix = "    ";

using CycleStep = Tfm_MainForm::CycleStep;

void Probe(const std::function<void(CycleStep, int)>& probe, CycleStep step, int index) {
  if (probe) probe(step, index);
}

QString ClockText(const std::string& tickText) {
  std::string text(kClockPrefix);
  text += tickText;
  text += kClockSuffix;
  return QString::fromStdString(text);
}

}  // namespace

// What went wrong in one tick: the first error of each kind of step.
struct Tfm_MainForm::TickProblems {
  struct Problem {
    bool Failed = false;
    std::string Text;  // UTF-8; empty for a thrown object that is not an error
  };
  std::array<Problem, kTickStepKinds> Steps;

  // Runs one step; an error that escapes it ends that step only.
  template <class Body>
  void Run(TickStepKind kind, Body&& body) {
    try {
      body();
    } catch (...) {
      Problem& problem = Steps[kind];
      if (problem.Failed) return;
      problem.Failed = true;
      problem.Text = ExceptionText(std::current_exception()).toStdString();
    }
  }
};

void Tfm_MainForm::timer_PerSecondTimer() {
  // Ticks wait for the end of start-up (the alarm window the alarm step drives exists only then).
  // A tick delivered while one runs (by a nested event loop) is skipped, not made up.
  if (!IsStartupFinished() || tickRunning_) return;
  tickRunning_ = true;
  struct Running {
    bool& flag;
    ~Running() { flag = false; }
  } running{tickRunning_};
  RunTick(Now());
}

void Tfm_MainForm::RunTick(TDateTime tick) {
  // Formatted once: the clock and every trend point of the tick show this text.
  const std::string tickText = FormatDateTime(kDisplayDateTimePattern, tick);
  lab_SysTime->setText(ClockText(tickText));
  AlarmActive = 0;
  TickProblems problems;
  const int channelCount = RunMeterSteps(tick, tickText, problems);
  if (overviewCanvas != nullptr) overviewCanvas->ShowChangedTiles();
  problems.Run(kAlarmStepKind, [&] {
    Probe(CycleProbe, CycleStep::Alarm, 0);
    AlarmStep();
  });
  problems.Run(kHistoryStepKind, [&] { RunTickHistoryStep(tick, channelCount); });
  ReportTickProblems(problems);
}

int Tfm_MainForm::RunMeterSteps(TDateTime tick, const std::string& tickText,
                                TickProblems& problems) {
  int series = 0;
  for (int m = 0; m < MetersInUse(Table()); ++m) {
    const TMeterRecord& meter = Table().Meters[m];
    for (int c = 0; c < ChannelsInUse(meter); ++c) {
      // One reading serves the trend point and the history record of this tick.
      const float value = meter.Value(c);
      problems.Run(kChannelStepKind, [&] {
        Probe(CycleProbe, CycleStep::Trend, series);
        Animate(series, tickText, value);
      });
      TickValues[series] = value;
      problems.Run(kChannelStepKind, [&] {
        Probe(CycleProbe, CycleStep::Tile, series);
        UpdateOverviewTile(m, c, series);
      });
      problems.Run(kChannelStepKind, [&] {
        Probe(CycleProbe, CycleStep::AlarmRecords, series);
        UpdateAlarmRecords(m, c, tick);
      });
      ++series;
    }
    problems.Run(kRowStepKind, [&] { RunMeterRowStep(m, tick); });
  }
  return series;
}

void Tfm_MainForm::RunMeterRowStep(int m, TDateTime tick) {
  // The counter belongs to the table position, not to the meter that stands there now. It is
  // never above the interval for long: reaching any int32 interval resets it, so it cannot wrap.
  std::int32_t& seconds = MeterRowSeconds[m];
  ++seconds;
  const TMeterRecord& meter = Table().Meters[m];
  if (seconds < meter.RecordInterval) return;
  // Reset first: a row that fails is reported, not retried at every following tick.
  seconds = 0;
  Probe(CycleProbe, CycleStep::MeterRow, m);
  std::string folderProblem;
  const std::string path =
      meterTextWriter_.PathFor(AppDir(), FixedBytes(meter.Name), m, tick, folderProblem);
  if (!folderProblem.empty()) ReportLater(std::move(folderProblem));
  AppendMeterHistoryRow(path, meter, tick);
}

void Tfm_MainForm::AppendMeterHistoryRow(const std::string& path, const TMeterRecord& meter,
                                         TDateTime tick) {
  const WriteOutcome outcome =
      meterTextWriter_.AppendRow(path, meter, FormatDateTime(kTextRowTimePattern, tick));
  if (!outcome.Report.empty()) ReportLater(outcome.Report);
}

void Tfm_MainForm::RunTickHistoryStep(TDateTime tick, int count) {
  Probe(CycleProbe, CycleStep::History, 0);
  const TDateTime recordTime = historySchedule_.NextRecordTime();
  if (!historySchedule_.RecordDue(tick)) return;
  NextRecordTime = historySchedule_.NextRecordTime();
  if (historyWriter_.Ended()) {
    GoOnInNewRecordingFiles(recordTime);
    if (historyWriter_.Ended()) return;  // no new file yet: this record is lost too
  }
  AppendHistoryRecord(TickValues.data(), count);
}

void Tfm_MainForm::AlarmStep() {
  if (AlarmActive != 0) {
    AlarmBranch();
    SmsStep();
  } else {
    ResetBranch();
  }
}

void Tfm_MainForm::ReportTickProblems(const TickProblems& problems) {
  for (int kind = 0; kind < kTickStepKinds; ++kind) {
    const TickProblems::Problem& problem = problems.Steps[kind];
    if (!problem.Failed) {
      tickStepReported_[kind] = false;
    } else if (!tickStepReported_[kind]) {
      tickStepReported_[kind] = true;
      ReportLater(problem.Text);
    }
  }
}

void Tfm_MainForm::ReportLater(std::string text) {
  pendingReports_.push_back(std::move(text));
  if (pendingReports_.size() == 1) QTimer::singleShot(0, this, [this] { ShowPendingReports(); });
}

void Tfm_MainForm::ShowPendingReports() {
  if (pendingReports_.empty()) return;  // already shown (closing shows them at once)
  std::string text;
  for (const std::string& report : pendingReports_) {
    if (!text.empty()) text += '\n';
    text += report;
  }
  pendingReports_.clear();
  ShowErrorBox(QString::fromStdString(text));
}
