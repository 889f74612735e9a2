#pragma once
// The files of a recording period and the history step of the per-second cycle. No Qt here.
//
// A period opens at every entry into run mode: a new history data file (".vq", common/
// HistoryFile.h) and a new alarm list file (".xls", AlarmListFile.h), both in the month folder
// AppDir/YY'Y'MM'M' and named DD'D'HH'H'NN'M'SS'S' after the moment the period opened.

#include <cstddef>
#include <cstdint>
#include <memory>
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
  std::string HistoryDataPath;       // empty while the files are not made
  std::string AlarmListPath;         // empty while the files are not made
  std::int32_t HistoryInterval = 0;  // seconds between history records; 0 = none
  std::int32_t ChannelCount = 0;     // values per history record
  TDateTime NextRecordTime = 0;      // the period's start time
  std::string Problem;               // UTF-8, names the file; empty when both files were created

  // While the files are not made: what makes them later (MakeRecordingFiles), with the header
  // and the names they would have had at first.
  std::string AppDir;
  TDateTime NameTime = 0;  // the clock when the names were first formed
  std::shared_ptr<const THistoryFileHeader> UnmadeHeader;

  // A period's two files are made together or not at all.
  bool FilesMade() const { return !HistoryDataPath.empty(); }
  // The files' names as the period meant to make them (the names they have once made).
  std::string IntendedHistoryPath() const;
  std::string IntendedAlarmListPath() const;
};

// Added to the problem of a period whose files could not be made when it opened.
inline constexpr std::string_view kKeptUntilFilesMade =
    "; the period's records and alarm rows are kept in memory and written as soon as its files "
    "can be made";

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
// When the files cannot be made (a full disk, a folder that cannot be made), the period opens all
// the same, without them: Problem says so and that its records are kept, and the period carries
// what MakeRecordingFiles needs to make them later.
// REQUIRES: no polling thread runs (the alarm flags are cleared here).
RecordingPeriod OpenRecordingFiles(const std::string& appDir, MeterTable& table);

// Tries again to make the files of a period that could not make them: the same header, the names
// of its NameTime (moving on past taken ones as at first). True when they are made: the paths
// are set, Problem holds only a failure to write the alarm list's header line, and the header is
// let go. False otherwise (Problem gets the new failure; it was reported once already).
bool MakeRecordingFiles(RecordingPeriod& period);

// The files of a period that starts at `startTime`, without touching the alarm flags: the same
// header (from the table as it stands), names from the clock read now and the same moving on past
// taken names. Used by OpenRecordingFiles, and in run mode to go on in new files after the
// history file had to be given up (HistoryFileWriter::Ended): polling threads may run then.
RecordingPeriod CreateRecordingFiles(const std::string& appDir, const MeterTable& table,
                                     TDateTime startTime);

// Bytes of history records one tick writes at most when it fills the slots that were missed (a
// stall of the timer, the clock set forward): 4 MiB is 180 records of the largest table, days of
// records of a small one. A longer gap is filled over the next ticks.
inline constexpr std::size_t kHistoryCatchUpBytesPerTick = std::size_t{4} << 20;
// The records of `channelCount` channels that one tick writes at most (at least 1).
std::int64_t HistoryCatchUpRecords(int channelCount);

// When history records are due. Record k belongs to the slot at start + k intervals; times are
// compared and advanced in whole milliseconds, so the schedule does not drift however long the
// period runs. Main thread only.
class HistorySchedule {
 public:
  HistorySchedule() = default;  // interval 0: never due
  HistorySchedule(std::int32_t intervalSeconds, TDateTime startTime);

  // The history step's decision for tick time `tick`: how many records are due, at most
  // `maxRecords` (REQUIRES >= 1). Due are the records whose slot lies strictly before the tick
  // and that are not written yet: one at a tick that follows the last in time, more when ticks
  // were missed or the clock was set forward, so that record k is again written for slot k; none
  // while the interval is 0 or the clock stands before the next slot (set back), so that no
  // record is ever written ahead of its slot. The next record time moves on by that many
  // intervals.
  std::int64_t RecordsDue(TDateTime tick, std::int64_t maxRecords);

  std::int32_t Interval() const { return intervalSeconds_; }
  TDateTime NextRecordTime() const { return MsToDateTime(nextMs_); }

 private:
  std::int32_t intervalSeconds_ = 0;
  std::int64_t nextMs_ = 0;
};
