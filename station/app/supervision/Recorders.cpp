#include "station/app/supervision/Recorders.h"

#include "common/FixedText.h"

RecordingPeriod Recorders::OpenRecordingFiles(const std::string& appDir, MeterTable& table,
                                              Reports& reports) {
  const RecordingPeriod period = ::OpenRecordingFiles(appDir, table);
  historySchedule_ = HistorySchedule(period.HistoryInterval, period.NextRecordTime);
  TakeRecordingFiles(period, reports);
  return period;
}

void Recorders::TakeRecordingFiles(const RecordingPeriod& period, Reports& reports) {
  if (period.FilesMade()) {
    historyWriter_ = HistoryFileWriter(period.HistoryDataPath, period.ChannelCount, historySink_,
                                       historyHoldLimitBytes_);
    unmade_.reset();
  } else {
    historyWriter_ = HistoryFileWriter::AwaitingFile(period.IntendedHistoryPath(),
                                                     period.ChannelCount, historySink_,
                                                     historyHoldLimitBytes_);
    unmade_ = std::make_unique<RecordingPeriod>(period);
  }
  AddReport(reports, period.Problem);
}

Recorders::DueRecords Recorders::HistoryRecordsDue(TDateTime tick) {
  DueRecords due;
  due.FirstTime = historySchedule_.NextRecordTime();
  due.Count =
      historySchedule_.RecordsDue(tick, HistoryCatchUpRecords(historyWriter_.ChannelCount()));
  return due;
}

std::optional<RecordingPeriod> Recorders::RetryRecordingFiles(Reports& reports) {
  if (!AwaitsRecordingFiles() || !MakeRecordingFiles(*unmade_)) return std::nullopt;
  RecordingPeriod period = std::move(*unmade_);
  unmade_.reset();
  AddReport(reports, historyWriter_.TakeFile(period.HistoryDataPath).Report);
  AddReport(reports, period.Problem);
  return period;
}

std::optional<RecordingPeriod> Recorders::GoOnInNewRecordingFiles(const std::string& appDir,
                                                                  const MeterTable& table,
                                                                  const DueRecords& due,
                                                                  Reports& reports) {
  // The polling threads run: the alarm flags stay as they are. The schedule goes on: the new
  // file starts at the time of the first record that is due now.
  const RecordingPeriod period = CreateRecordingFiles(appDir, table, due.FirstTime);
  if (!period.FilesMade()) {
    historyWriter_.LoseRecords(due.Count);  // told with the others once a file goes on
    return std::nullopt;
  }
  AddReport(reports, historyWriter_.LossReport(period.HistoryDataPath));
  TakeRecordingFiles(period, reports);
  return period;
}

void Recorders::AppendHistoryRecords(const float* values, int count, std::int64_t copies,
                                     Reports& reports) {
  AddReport(reports, historyWriter_.Append(values, count, copies).Report);
}

void Recorders::CloseRecordingPeriod(Reports& reports) {
  AddReport(reports, historyWriter_.Finish().Report);
}

std::string Recorders::MeterTextPath(const std::string& appDir, const TMeterRecord& meter, int m,
                                     TDateTime tick, Reports& reports) {
  std::string folderProblem;
  std::string path = meterTextWriter_.PathFor(appDir, FixedBytes(meter.Name), m, tick,
                                              folderProblem);
  AddReport(reports, std::move(folderProblem));
  return path;
}

void Recorders::AppendMeterHistoryRow(const std::string& path, const TMeterRecord& meter,
                                      TDateTime tick, Reports& reports) {
  AddReport(reports,
            meterTextWriter_.AppendRow(path, meter, FormatDateTime(kTextRowTimePattern, tick))
                .Report);
}
