// Recording periods on the main window: the alarm grid's reset, the period's history data file
// and alarm list file, and the writes into them.
//
// A problem with a recording file (a folder or file that cannot be made, a write that fails) is
// shown once in the error box, after the running handler; the period then goes without that file
// rather than writing anywhere else.

#include <QString>

#include <algorithm>

#include "common/AppPaths.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"

void Tfm_MainForm::OpenRecordingFiles() {
  // The alarm grid shows the header row alone, and no alarm row is open.
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    const std::string_view header = kAlarmHeaderTexts[col];
    strgGrid_AlarmRecList->SetCells(col, 0, QString::fromUtf8(header.data(), header.size()));
  }
  strgGrid_AlarmRecList->SetRowCount(1);
  for (int m = 0; m < MetersInUse(Table); ++m) {
    for (auto& kind : AlarmRowTable[m]) {
      std::fill_n(kind, ChannelsInUse(Table.Meters[m]), 0);
    }
  }

  // Clears the alarm flags of the channels in use, writes the header and the header line.
  const RecordingPeriod period = ::OpenRecordingFiles(AppDir(), Table);
  HistoryDataPath = period.HistoryDataPath;
  AlarmListPath = period.AlarmListPath;
  HistoryInterval = period.HistoryInterval;
  NextRecordTime = period.NextRecordTime;
  historySchedule_ = HistorySchedule(period.HistoryInterval, period.NextRecordTime);
  historyWriter_ = HistoryFileWriter(period.HistoryDataPath, period.ChannelCount);
  alarmListWriter_ = AlarmListWriter(period.AlarmListPath);
  if (!period.Problem.empty()) ReportLater(period.Problem);
}

void Tfm_MainForm::AppendHistoryRecord(const float* values, int count) {
  const WriteOutcome outcome = historyWriter_.Append(values, count);
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
