#pragma once
// What the station records, as one part: the recording period's history data file (its writer
// and schedule) and the per-meter text files. No Qt here; main thread only.
//
// A problem with a recording file (a folder or file that cannot be made, a write that fails) is
// handed back as a report, once; the period then goes without that file rather than writing
// anywhere else. History records that the file refuses are held in memory and written later
// (HistoryFileWriter); when too many are held, they are given up and recording goes on in new
// files, and the report tells how many records were lost and which file goes on.

#include <cstddef>
#include <cstdint>
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

  // The history step's decision for tick time `tick`: the time of the record that is due, or
  // none. A due record moves the schedule on by one interval.
  std::optional<TDateTime> HistoryRecordDue(TDateTime tick);
  // True once the history file had to be given up (its held records passed the limit).
  bool HistoryFileEnded() const { return historyWriter_.Ended(); }
  // After the history file was given up: new files whose start time is `recordTime` (the due
  // record's), made the current ones; the loss is reported. None when they cannot be made yet:
  // the due record is lost too (told once a file goes on).
  std::optional<RecordingPeriod> GoOnInNewRecordingFiles(const std::string& appDir,
                                                         const MeterTable& table,
                                                         TDateTime recordTime, Reports& reports);
  // Appends values[0..count-1] as the period's next history record.
  void AppendHistoryRecord(const float* values, int count, Reports& reports);
  // The end of the period (configuration mode, closing): a last try to write the history
  // records held back by a full disk; the records lost are reported.
  void CloseRecordingPeriod(Reports& reports);

  // The path of meter m's text file for the tick, its folders made (MeterTextWriter::PathFor).
  std::string MeterTextPath(const std::string& appDir, const TMeterRecord& meter, int m,
                            TDateTime tick, Reports& reports);
  // Appends the meter's row for the tick to its text file at `path`.
  void AppendMeterHistoryRow(const std::string& path, const TMeterRecord& meter, TDateTime tick,
                             Reports& reports);

  // The current period's history data file (empty when it could not be made) and history
  // schedule. The period's alarm list file is the alarm records' (AlarmRecords::AlarmListPath).
  const std::string& HistoryDataPath() const { return historyWriter_.Path(); }
  std::int32_t HistoryInterval() const { return historySchedule_.Interval(); }
  TDateTime NextRecordTime() const { return historySchedule_.NextRecordTime(); }

 private:
  void TakeRecordingFiles(const RecordingPeriod& period, Reports& reports);

  HistoryRecordSink historySink_;
  std::size_t historyHoldLimitBytes_ = kHistoryHoldLimitBytes;
  HistorySchedule historySchedule_;
  HistoryFileWriter historyWriter_;
  MeterTextWriter meterTextWriter_;
};
