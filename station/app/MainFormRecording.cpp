// Recording periods on the main window: the alarm grid's reset, the period's history data file
// and alarm list file, and the writes into them.
//
// A problem with a recording file (a folder or file that cannot be made, a write that fails) is
// shown once in the error box, after the running handler; the period then goes without that file
// rather than writing anywhere else. History records that the file refuses are held in memory
// and written later (HistoryFileWriter); when too many are held, they are given up and recording
// goes on in new files, and the operator is told how many records were lost and which file goes
// on.

#include <QString>

#include <algorithm>

#include "common/AppPaths.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"

void Tfm_MainForm::ResetAlarmRecords() {
  // The alarm grid shows the header row alone, and no alarm row is open.
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    const std::string_view header = kAlarmHeaderTexts[col];
    strgGrid_AlarmRecList->SetCells(col, 0, QString::fromUtf8(header.data(), header.size()));
  }
  strgGrid_AlarmRecList->SetRowCount(1);
  for (int m = 0; m < MetersInUse(Table()); ++m) {
    for (auto& kind : AlarmRowTable[m]) {
      std::fill_n(kind, ChannelsInUse(Table().Meters[m]), 0);
    }
  }
}

void Tfm_MainForm::TakeRecordingFiles(const RecordingPeriod& period) {
  HistoryDataPath = period.HistoryDataPath;
  AlarmListPath = period.AlarmListPath;
  historyWriter_ = HistoryFileWriter(period.HistoryDataPath, period.ChannelCount, HistorySink,
                                     HistoryHoldLimitBytes);
  alarmListWriter_ = AlarmListWriter(period.AlarmListPath);
  if (!period.Problem.empty()) ReportLater(period.Problem);
}

void Tfm_MainForm::OpenRecordingFiles() {
  ResetAlarmRecords();
  // Clears the alarm flags of the channels in use, writes the header and the header line.
  const RecordingPeriod period = ::OpenRecordingFiles(AppDir(), Table());
  HistoryInterval = period.HistoryInterval;
  NextRecordTime = period.NextRecordTime;
  historySchedule_ = HistorySchedule(period.HistoryInterval, period.NextRecordTime);
  TakeRecordingFiles(period);
}

void Tfm_MainForm::GoOnInNewRecordingFiles(TDateTime recordTime) {
  // The polling threads run: the alarm flags stay as they are, and the alarms still raised open
  // their rows again, in the new alarm list file, at the next tick. The schedule goes on: the new
  // file starts at the time of the record that is due now.
  const RecordingPeriod period = CreateRecordingFiles(AppDir(), Table(), recordTime);
  if (period.HistoryDataPath.empty()) {
    historyWriter_.LoseRecord();  // told with the others once a file goes on
    return;
  }
  ReportLater(historyWriter_.LossReport(period.HistoryDataPath));
  ResetAlarmRecords();
  TakeRecordingFiles(period);
}

void Tfm_MainForm::AppendHistoryRecord(const float* values, int count) {
  const WriteOutcome outcome = historyWriter_.Append(values, count);
  if (!outcome.Report.empty()) ReportLater(outcome.Report);
}

void Tfm_MainForm::CloseRecordingPeriod() {
  const WriteOutcome outcome = historyWriter_.Finish();
  if (!outcome.Report.empty()) ReportLater(outcome.Report);
}

void Tfm_MainForm::WriteAlarmRow(int row) {
  std::array<std::string, kAlarmColumnCount> texts;
  AlarmRowTexts cells;
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    texts[col] = strgGrid_AlarmRecList->Cells(col, row).toStdString();
    cells[col] = texts[col];
  }
  const WriteOutcome outcome = alarmListWriter_.WriteRow(row, cells);
  if (!outcome.Report.empty()) ReportLater(outcome.Report);
}
