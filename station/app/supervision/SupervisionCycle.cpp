#include "station/app/supervision/SupervisionCycle.h"

#include <exception>
#include <string_view>
#include <utility>

#include "common/AppPaths.h"
#include "platform/Errors.h"

namespace {

constexpr std::string_view kClockPrefix = "Time : ";
constexpr std::string_view kClockSuffix = "    ";

}  // namespace

// What went wrong in one tick: the first error of each kind of step.
struct SupervisionCycle::TickProblems {
  struct Problem {
    bool Failed = false;
    std::string Text;  // UTF-8; empty for a thrown object that is not an error
    std::optional<std::string> DelayText;  // the alarm delay's text, when it did not convert
  };
  std::array<Problem, kTickStepKinds> Steps;

  // Runs one step; an error that escapes it ends that step only.
  template <class Body>
  void Run(TickStepKind kind, Body&& body) {
    try {
      body();
    } catch (const EAlarmDelayError& error) {
      Record(kind, error.what(), error.Text());
    } catch (...) {
      Record(kind, ExceptionMessage(std::current_exception()), std::nullopt);
    }
  }
  void Record(TickStepKind kind, std::string text, std::optional<std::string> delayText) {
    Problem& problem = Steps[kind];
    if (problem.Failed) return;
    problem.Failed = true;
    problem.Text = std::move(text);
    problem.DelayText = std::move(delayText);
  }
};

void SupervisionCycle::Probe(CycleStep step, int index) const {
  if (probe_) probe_(step, index);
}

void SupervisionCycle::OpenRecordingFiles(MeterTable& table, TickView& view, Reports& reports) {
  ResetAlarmRecords(table, view);
  // Clears the alarm flags of the channels in use, writes the header and the header line.
  const RecordingPeriod period = recorders_.OpenRecordingFiles(AppDir(), table, reports);
  records_.SetAlarmListFile(period.AlarmListPath);
}

void SupervisionCycle::ResetAlarmRecords(const MeterTable& table, TickView& view) {
  records_.ResetAlarmRecords(table);
  view.ShowAlarmRecordsReset(records_.Row(0));
}

void SupervisionCycle::RunTick(TDateTime tick, const MeterTable& table, TickView& view,
                               Reports& reports) {
  if (running_) return;
  running_ = true;
  struct Running {
    bool& flag;
    ~Running() { flag = false; }
  } running{running_};
  // Formatted once: the clock and every trend point of the tick show this text.
  const std::string tickText = FormatDateTime(kDisplayDateTimePattern, tick);
  std::string clock(kClockPrefix);
  clock += tickText;
  clock += kClockSuffix;
  view.ShowClock(clock);
  alarmActive_ = 0;
  TickProblems problems;
  const int channelCount = RunMeterSteps(tick, tickText, table, view, reports, problems);
  view.ShowChangedTiles();
  problems.Run(kAlarmStepKind, [&] {
    Probe(CycleStep::Alarm, 0);
    AlarmStep(table, view);
  });
  problems.Run(kHistoryStepKind,
               [&] { RunHistoryStep(tick, channelCount, table, view, reports); });
  ReportTickProblems(problems, reports);
}

int SupervisionCycle::RunMeterSteps(TDateTime tick, const std::string& tickText,
                                    const MeterTable& table, TickView& view, Reports& reports,
                                    TickProblems& problems) {
  int series = 0;
  for (int m = 0; m < MetersInUse(table); ++m) {
    const TMeterRecord& meter = table.Meters[m];
    for (int c = 0; c < ChannelsInUse(meter); ++c) {
      // One reading serves the trend point and the history record of this tick.
      const float value = meter.Value(c);
      problems.Run(kChannelStepKind, [&] {
        Probe(CycleStep::Trend, series);
        view.Animate(series, tickText, value);
      });
      tickValues_[series] = value;
      problems.Run(kChannelStepKind, [&] {
        Probe(CycleStep::Tile, series);
        UpdateOverviewTile(table, m, c, series);
      });
      problems.Run(kChannelStepKind, [&] {
        Probe(CycleStep::AlarmRecords, series);
        UpdateAlarmRecords(table, m, c, tick, view, reports);
      });
      ++series;
    }
    problems.Run(kRowStepKind, [&] { RunMeterRowStep(table, m, tick, reports); });
  }
  return series;
}

void SupervisionCycle::UpdateOverviewTile(const MeterTable& table, int m, int j, int t) {
  if (tiles_.Update(table, m, j, t, alarm_.AlarmDelayCountdown())) alarmActive_ = 1;
}

void SupervisionCycle::UpdateAlarmRecords(const MeterTable& table, int m, int j, TDateTime tick,
                                          TickView& view, Reports& reports) {
  records_.UpdateAlarmRecords(table, m, j, tick, rowChanges_, reports);
  for (int i = 0; i < rowChanges_.Count; ++i) {
    const AlarmRowChanges::Change& change = rowChanges_.Changes[i];
    view.ShowAlarmRow(change.Row, records_.Row(change.Row), change.Opened);
  }
}

void SupervisionCycle::RunMeterRowStep(const MeterTable& table, int m, TDateTime tick,
                                       Reports& reports) {
  // The counter belongs to the table position, not to the meter that stands there now. It is
  // never above the interval for long: reaching any int32 interval resets it, so it cannot wrap.
  std::int32_t& seconds = meterRowSeconds_[m];
  ++seconds;
  const TMeterRecord& meter = table.Meters[m];
  if (seconds < meter.RecordInterval) return;
  // Reset first: a row that fails is reported, not retried at every following tick.
  seconds = 0;
  Probe(CycleStep::MeterRow, m);
  const std::string path = recorders_.MeterTextPath(AppDir(), meter, m, tick, reports);
  recorders_.AppendMeterHistoryRow(path, meter, tick, reports);
}

void SupervisionCycle::LoadAlarmDelay(const std::string& text) {
  try {
    alarm_.LoadDelay(AlarmDelaySeconds(text));
  } catch (const EAlarmDelayError&) {
    toldDelayText_ = text;
    throw;
  }
}

bool SupervisionCycle::TellDelayError(const std::string& text) {
  if (toldDelayText_ == text) return false;
  toldDelayText_ = text;
  return true;
}

void SupervisionCycle::AlarmStep(const MeterTable& table, TickView& view) {
  // The operator can change the delay only between ticks (in configuration mode): a text other
  // than the one told of is news again, even when it fails the same way.
  const std::string delayText = view.AlarmDelayText();
  if (toldDelayText_ != delayText) toldDelayText_.reset();
  if (alarmActive_ != 0) {
    // The alarm branch, followed by the SMS step.
    view.ShowAlarm(alarm_.AlarmTick(view.AlarmSilenceRequested()));
    if (!view.SmsAlarmOn()) return;
    sms_.SmsStep(view.ReadSmsPage(), table, tiles_,
                 [&view](const std::string& caption) { view.ShowSmsCaption(caption); });
    return;
  }
  // The reset branch. The window is hidden before the delay is reloaded: a delay text that is
  // not a whole number raises below in every tick without alarm (told once for each text), and
  // must not leave the window up.
  sms_.SmsReset();
  alarm_.DropSilence();
  view.HideAlarmWindow();
  alarm_.LoadDelay(AlarmDelaySeconds(delayText));
}

void SupervisionCycle::RunHistoryStep(TDateTime tick, int count, const MeterTable& table,
                                      TickView& view, Reports& reports) {
  Probe(CycleStep::History, 0);
  const Recorders::DueRecords due = recorders_.HistoryRecordsDue(tick);
  // Files that could not be made are tried again at each history interval (at every tick when
  // the period records nothing, so that its alarm list is made all the same).
  if (recorders_.AwaitsRecordingFiles() && (due.Count > 0 || recorders_.HistoryInterval() == 0)) {
    if (const std::optional<RecordingPeriod> period = recorders_.RetryRecordingFiles(reports)) {
      WriteHeldAlarmRows(*period, reports);
    }
  }
  if (due.Count == 0) return;
  if (recorders_.HistoryFileEnded()) {
    // Alarm rows of a period whose files were never made have no line anywhere yet: they stay
    // and go into the new alarm list. Otherwise the new files start afresh: the polling threads
    // run, so the alarm flags stay as they are, and the alarms still raised open their rows
    // again, in the new alarm list, at the next tick.
    const bool rowsWritten = !records_.AlarmListPath().empty();
    const std::optional<RecordingPeriod> period =
        recorders_.GoOnInNewRecordingFiles(AppDir(), table, due, reports);
    if (period && rowsWritten) {
      ResetAlarmRecords(table, view);
      records_.SetAlarmListFile(period->AlarmListPath);
    } else if (period) {
      WriteHeldAlarmRows(*period, reports);
    }
    if (recorders_.HistoryFileEnded()) return;  // no new file yet: these records are lost too
  }
  recorders_.AppendHistoryRecords(tickValues_.data(), count, due.Count, reports);
}

void SupervisionCycle::WriteHeldAlarmRows(const RecordingPeriod& period, Reports& reports) {
  records_.SetAlarmListFile(period.AlarmListPath);
  // Line 0, the header line, came with the file.
  for (int row = 1; row < records_.RowCount(); ++row) records_.WriteAlarmRow(row, reports);
}

void SupervisionCycle::CloseRecordingPeriod(Reports& reports) {
  if (recorders_.AwaitsRecordingFiles()) {
    if (const std::optional<RecordingPeriod> period = recorders_.RetryRecordingFiles(reports)) {
      WriteHeldAlarmRows(*period, reports);
    }
  }
  // The operator was told that the alarm rows are kept until the files can be made.
  const int rows = records_.RowCount() - 1;
  if (recorders_.AwaitsRecordingFiles() && rows > 0) {
    reports.push_back("Alarm list " + recorders_.AwaitedAlarmListPath() + ": " +
                      std::to_string(rows) +
                      (rows == 1 ? " alarm row could not be written and is lost"
                                 : " alarm rows could not be written and are lost"));
  }
  recorders_.CloseRecordingPeriod(reports);
}

void SupervisionCycle::ReportTickProblems(const TickProblems& problems, Reports& reports) {
  for (int kind = 0; kind < kTickStepKinds; ++kind) {
    const TickProblems::Problem& problem = problems.Steps[kind];
    if (!problem.Failed) {
      stepReported_[kind] = false;
      continue;
    }
    const bool tell = problem.DelayText ? TellDelayError(*problem.DelayText) : !stepReported_[kind];
    stepReported_[kind] = true;
    if (tell) reports.push_back(problem.Text);
  }
}
