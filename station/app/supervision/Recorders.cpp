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
  historyWriter_ = HistoryFileWriter(period.HistoryDataPath, period.ChannelCount, historySink_,
                                     historyHoldLimitBytes_);
  AddReport(reports, period.Problem);
}

std::optional<TDateTime> Recorders::HistoryRecordDue(TDateTime tick) {
  const TDateTime recordTime = historySchedule_.NextRecordTime();
  if (!historySchedule_.RecordDue(tick)) return std::nullopt;
  return recordTime;
}

std::optional<RecordingPeriod> Recorders::GoOnInNewRecordingFiles(const std::string& appDir,
                                                                  const MeterTable& table,
                                                                  TDateTime recordTime,
                                                                  Reports& reports) {
  // The polling threads run: the alarm flags stay as they are. The schedule goes on: the new
  // file starts at the time of the record that is due now.
  const RecordingPeriod period = CreateRecordingFiles(appDir, table, recordTime);
  if (period.HistoryDataPath.empty()) {
    historyWriter_.LoseRecord();  // told with the others once a file goes on
    return std::nullopt;
  }
  AddReport(reports, historyWriter_.LossReport(period.HistoryDataPath));
  TakeRecordingFiles(period, reports);
  return period;
}

void Recorders::AppendHistoryRecord(const float* values, int count, Reports& reports) {
  AddReport(reports, historyWriter_.Append(values, count).Report);
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
