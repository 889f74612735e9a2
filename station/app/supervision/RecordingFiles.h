#pragma once
// The files of a recording period and the history step of the per-second cycle. No Qt here.
//
// A period opens at every entry into run mode: a new history data file (".vq", common/
// HistoryFile.h) and a new alarm list file (".xls", AlarmListFile.h), both in the month folder
// AppDir/YY'Y'MM'M' and named DD'D'HH'H'NN'M'SS'S' after the moment the period opened.

#include <cstdint>
#include <string>

#include "common/DateTime.h"
#include "common/HistoryFile.h"
#include "common/MeterRecord.h"

inline constexpr std::string_view kMonthFolderPattern = "YY'Y'MM'M'";
inline constexpr std::string_view kRecordingStemPattern = "DD'D'HH'H'NN'M'SS'S'";
inline constexpr std::string_view kHistoryDataExtension = ".vq";
inline constexpr std::string_view kAlarmListExtension = ".xls";

// "\" + `when` formatted by `pattern`: the relative name of a dated folder or file stem, to be
// joined under its parent folder with JoinPath.
std::string DatedName(std::string_view pattern, TDateTime when);

// What the main window keeps of an opened period.
struct RecordingPeriod {
  std::string HistoryDataPath;       // empty when the file could not be created
  std::string AlarmListPath;         // empty when the file could not be created
  std::int32_t HistoryInterval = 0;  // seconds between history records; 0 = none
  std::int32_t ChannelCount = 0;     // values per history record
  TDateTime NextRecordTime = 0;      // the period's start time
  std::string Problem;               // UTF-8, names the file; empty when both files were created
};

// Fills the header from the meter table: StartTime, IntervalSeconds (meter 0's record interval,
// read from table slot 0 even when the count is 0; a negative one counts as 0) and one name slot
// per channel in channel order. Returns the channel count it wrote.
int BuildHistoryHeader(const MeterTable& table, TDateTime startTime, THistoryFileHeader& header);

// The record interval of the period: meter 0's, never negative.
std::int32_t HistoryIntervalOf(const MeterTable& table);

// Opens a recording period under appDir (which exists): reads the clock (t0) for the start time,
// clears the four alarm flags of every channel in use, builds the header, reads the clock again
// (t1) for the names, creates the month folder when missing, creates the history data file with
// its header and the alarm list file with its header line.
// Two periods opened within the same second would get the same names; an existing file is never
// emptied: when either name is taken, the stem's time moves on one second at a time until both
// names are free, so both files of a period always share their stem.
// REQUIRES: no polling thread runs (the alarm flags are cleared here).
RecordingPeriod OpenRecordingFiles(const std::string& appDir, MeterTable& table);

// The files of a period that starts at `startTime`, without touching the alarm flags: the same
// header (from the table as it stands), names from the clock read now and the same moving on past
// taken names. Used by OpenRecordingFiles, and in run mode to go on in new files after the
// history file had to be given up (HistoryFileWriter::Ended): polling threads may run then.
RecordingPeriod CreateRecordingFiles(const std::string& appDir, const MeterTable& table,
                                     TDateTime startTime);

// When history records are due. Times are compared and advanced in whole milliseconds, so the
// schedule does not drift however long the period runs. Main thread only.
class HistorySchedule {
 public:
  HistorySchedule() = default;  // interval 0: never due
  HistorySchedule(std::int32_t intervalSeconds, TDateTime startTime);

  // The history step's decision for tick time `tick`: due when the interval is not 0 and the
  // next record time lies strictly before the tick; a due record moves the next record time on
  // by one interval. So a tick writes at most one record, and after a stall the following ticks
  // write one record each until the schedule has caught up with the clock.
  bool RecordDue(TDateTime tick);

  std::int32_t Interval() const { return intervalSeconds_; }
  TDateTime NextRecordTime() const { return MsToDateTime(nextMs_); }

 private:
  std::int32_t intervalSeconds_ = 0;
  std::int64_t nextMs_ = 0;
};
