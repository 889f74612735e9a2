#pragma once
// What the station records, as one part: the recording period's history data file (its writer
// and schedule) and the per-meter text files. No Qt here; main thread only.
//
// A problem with a recording file (a folder or file that cannot be made, a write that fails) is
// handed back as a report, once; nothing is ever written anywhere else. History records that the
// file refuses are held in memory and written later, each at its own place (HistoryFileWriter);
// so are those of a period whose files could not be made when it opened: making them is tried
// again at each history interval, and once they are made the held records follow (the alarm
// rows are the alarm records', which the cycle writes then). When too many are held, they are
// given up and recording goes on in new files, and the report tells how many records were lost
// and which file goes on.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/DateTime.h"
#include "common/HistoryFile.h"
#include "common/MeterRecord.h"
#include "station/app/parts/Reports.h"
#include "station/app/supervision/MeterTextFiles.h"
#include "station/app/supervision/RecordingFiles.h"

class Recorders {
 public:
  // Test seams for the history writer of every later period: where its records go (the file
  // system when empty) and how much it holds while the file refuses them.
  void SetHistorySink(HistoryRecordSink sink) { historySink_ = std::move(sink); }
  void SetHistoryHoldLimitBytes(std::size_t bytes) { historyHoldLimitBytes_ = bytes; }

  // A new recording period under appDir (OpenRecordingFiles of RecordingFiles.h): clears the
  // alarm flags of the channels in use, creates the history data file and the alarm list file
  // and makes them the current ones; the history schedule starts at the period's start time.
  // REQUIRES: no polling thread runs.
  RecordingPeriod OpenRecordingFiles(const std::string& appDir, MeterTable& table,
                                     Reports& reports);

  // The records the history step writes at tick time `tick`: how many are due (the slots missed
  // since the last record included, at most HistoryCatchUpRecords a tick) and the time of the
  // first. The schedule moves on past them.
  struct DueRecords {
    std::int64_t Count = 0;
    TDateTime FirstTime = 0;
  };
  DueRecords HistoryRecordsDue(TDateTime tick);
  // True while the period's files could not be made and the history file is not given up.
  bool AwaitsRecordingFiles() const { return unmade_ != nullptr && !historyWriter_.Ended(); }
  // The alarm list the period means to make while it awaits its files; empty otherwise.
  std::string AwaitedAlarmListPath() const {
    return AwaitsRecordingFiles() ? unmade_->IntendedAlarmListPath() : std::string();
  }
  // Tries again to make the period's files (MakeRecordingFiles); once made they are the current
  // ones and the held history records are written. The period is returned then, so that the
  // caller writes the alarm rows held meanwhile. A failure is not reported again.
  std::optional<RecordingPeriod> RetryRecordingFiles(Reports& reports);
  // True once the history file had to be given up (its held records passed the limit).
  bool HistoryFileEnded() const { return historyWriter_.Ended(); }
  // After the history file was given up: new files whose start time is that of the first due
  // record, made the current ones; the loss is reported. None when they cannot be made yet: the
  // due records are lost too (told once a file goes on).
  std::optional<RecordingPeriod> GoOnInNewRecordingFiles(const std::string& appDir,
                                                         const MeterTable& table,
                                                         const DueRecords& due, Reports& reports);
  // Appends `copies` records of values[0..count-1] as the period's next history records.
  void AppendHistoryRecords(const float* values, int count, std::int64_t copies,
                            Reports& reports);
  // The end of the period (configuration mode, closing): a last try to write the history
  // records held back by a full disk; the records lost are reported.
  void CloseRecordingPeriod(Reports& reports);

  // The path of meter m's text file for the tick, its folders made (MeterTextWriter::PathFor).
  std::string MeterTextPath(const std::string& appDir, const TMeterRecord& meter, int m,
                            TDateTime tick, Reports& reports);
  // Appends the meter's row for the tick to its text file at `path`.
  void AppendMeterHistoryRow(const std::string& path, const TMeterRecord& meter, TDateTime tick,
                             Reports& reports);

  // The current period's history data file (empty while it is not made) and history schedule.
  // The period's alarm list file is the alarm records' (AlarmRecords::AlarmListPath).
  const std::string& HistoryDataPath() const { return historyWriter_.Path(); }
  std::int32_t HistoryInterval() const { return historySchedule_.Interval(); }
  TDateTime NextRecordTime() const { return historySchedule_.NextRecordTime(); }

 private:
  void TakeRecordingFiles(const RecordingPeriod& period, Reports& reports);

  HistoryRecordSink historySink_;
  std::size_t historyHoldLimitBytes_ = kHistoryHoldLimitBytes;
  HistorySchedule historySchedule_;
  HistoryFileWriter historyWriter_;
  // The period while its files are not made; null once they are (or were at once).
  std::unique_ptr<RecordingPeriod> unmade_;
  MeterTextWriter meterTextWriter_;
};
