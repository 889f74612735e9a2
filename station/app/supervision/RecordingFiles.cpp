#include "station/app/supervision/RecordingFiles.h"

#include <algorithm>
#include <cstring>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "common/Now.h"
#include "station/app/supervision/AlarmListFile.h"

namespace {

constexpr std::int64_t kMsPerSecond = 1000;
// How far the stem may move past a taken name: an hour of seconds is far more than quick mode
// switches can use up, and bounds the search when a folder cannot be used at all.
constexpr int kMaxStemSeconds = 3600;

void ClearAlarmFlags(MeterTable& table) {
  constexpr auto kRelaxed = std::memory_order_relaxed;
  for (int m = 0; m < MetersInUse(table); ++m) {
    TMeterRecord& meter = table.Meters[m];
    for (int ch = 0; ch < ChannelsInUse(meter); ++ch) {
      meter.LLAFlags[ch].store(0, kRelaxed);
      meter.LAFlags[ch].store(0, kRelaxed);
      meter.HAFlags[ch].store(0, kRelaxed);
      meter.HHAFlags[ch].store(0, kRelaxed);
    }
  }
}

enum class StemResult { Created, Taken, Failed };

// Creates both files of one stem. When the alarm list name turns out taken, the history file
// just made for the stem is removed again, so that both files of a period share their stem.
StemResult CreateFilesOfStem(const std::string& stemPath, const THistoryFileHeader& header,
                             RecordingPeriod& period) {
  const std::string historyPath = stemPath + std::string(kHistoryDataExtension);
  const std::string alarmPath = stemPath + std::string(kAlarmListExtension);
  FileSystem& files = SystemFiles();
  if (files.Exists(alarmPath)) return StemResult::Taken;
  FileStatus status = CreateHistoryFile(historyPath, header);
  if (status.Error == FileError::NameTaken) return StemResult::Taken;
  if (!status.ok()) {
    period.Problem = status.Message;
    return StemResult::Failed;
  }
  status = CreateAlarmListFile(alarmPath);
  if (!status.ok()) {
    // Both files or neither: a period whose alarm list cannot be made makes both later.
    (void)files.Remove(historyPath);
    if (status.Error == FileError::NameTaken) return StemResult::Taken;
    period.Problem = status.Message;
    return StemResult::Failed;
  }
  period.HistoryDataPath = historyPath;
  period.AlarmListPath = alarmPath;
  period.Problem = AlarmListWriter(alarmPath).WriteRow(0, kAlarmHeaderTexts).Report;
  return StemResult::Created;
}

// Names the files after `when`, moving on a second at a time while a name is taken.
void CreatePeriodFiles(const std::string& appDir, TDateTime when, const THistoryFileHeader& header,
                       RecordingPeriod& period) {
  const std::int64_t whenMs = DateTimeToMs(when);
  for (int second = 0; second < kMaxStemSeconds; ++second) {
    const TDateTime stemTime = MsToDateTime(whenMs + second * kMsPerSecond);
    const std::string folder = JoinPath(appDir, DatedName(kMonthFolderPattern, stemTime));
    // The month folder, one level (appDir exists), unless it is there.
    const FileStatus status = SystemFiles().MakeFolder(folder);
    if (!status.ok()) {
      period.Problem = status.Message;
      return;
    }
    const std::string stemPath = JoinPath(folder, DatedName(kRecordingStemPattern, stemTime));
    if (CreateFilesOfStem(stemPath, header, period) != StemResult::Taken) return;
  }
  period.Problem = "No free name for the recording files in " + appDir;
}

}  // namespace

std::string DatedName(std::string_view pattern, TDateTime when) {
  return "\\" + FormatDateTime(pattern, when);
}

std::int32_t HistoryIntervalOf(const MeterTable& table) {
  // A copy first: the packed field may lie at any address, and std::max takes a reference.
  const std::int32_t interval = table.Meters[0].RecordInterval;
  return std::max(interval, 0);
}

int BuildHistoryHeader(const MeterTable& table, TDateTime startTime, THistoryFileHeader& header) {
  std::memset(&header, 0, sizeof header);
  header.StartTime = startTime;
  header.IntervalSeconds = HistoryIntervalOf(table);
  int n = 0;
  for (int m = 0; m < MetersInUse(table); ++m) {
    const TMeterRecord& meter = table.Meters[m];
    for (int ch = 0; ch < ChannelsInUse(meter); ++ch) {
      SetHistoryNameSlot(header, n++, FixedBytes(meter.Name), FixedBytes(meter.Channels[ch].Name));
    }
  }
  header.ChannelCount = n;
  return n;
}

namespace {

std::string IntendedStemPath(const RecordingPeriod& period) {
  const std::string folder =
      JoinPath(period.AppDir, DatedName(kMonthFolderPattern, period.NameTime));
  return JoinPath(folder, DatedName(kRecordingStemPattern, period.NameTime));
}

// A period starting at `startTime`, its header built into `header` and its files made when they
// can be.
RecordingPeriod MakePeriod(const std::string& appDir, const MeterTable& table,
                           TDateTime startTime, THistoryFileHeader& header) {
  RecordingPeriod period;
  period.ChannelCount = BuildHistoryHeader(table, startTime, header);
  period.HistoryInterval = header.IntervalSeconds;
  period.NextRecordTime = startTime;
  period.AppDir = appDir;
  // The names come from a second reading of the clock, after the header has been built.
  period.NameTime = Now();
  CreatePeriodFiles(appDir, period.NameTime, header, period);
  return period;
}

}  // namespace

std::string RecordingPeriod::IntendedHistoryPath() const {
  if (FilesMade()) return HistoryDataPath;
  return IntendedStemPath(*this) + std::string(kHistoryDataExtension);
}

std::string RecordingPeriod::IntendedAlarmListPath() const {
  if (FilesMade()) return AlarmListPath;
  return IntendedStemPath(*this) + std::string(kAlarmListExtension);
}

RecordingPeriod OpenRecordingFiles(const std::string& appDir, MeterTable& table) {
  const TDateTime startTime = Now();
  ClearAlarmFlags(table);
  std::shared_ptr<THistoryFileHeader> header = NewHistoryHeader();
  RecordingPeriod period = MakePeriod(appDir, table, startTime, *header);
  if (!period.FilesMade()) {
    period.UnmadeHeader = std::move(header);
    period.Problem += kKeptUntilFilesMade;
  }
  return period;
}

bool MakeRecordingFiles(RecordingPeriod& period) {
  if (period.FilesMade() || period.UnmadeHeader == nullptr) return period.FilesMade();
  period.Problem.clear();
  CreatePeriodFiles(period.AppDir, period.NameTime, *period.UnmadeHeader, period);
  if (!period.FilesMade()) return false;
  period.UnmadeHeader.reset();
  return true;
}

RecordingPeriod CreateRecordingFiles(const std::string& appDir, const MeterTable& table,
                                     TDateTime startTime) {
  const std::unique_ptr<THistoryFileHeader> header = NewHistoryHeader();
  return MakePeriod(appDir, table, startTime, *header);
}

HistorySchedule::HistorySchedule(std::int32_t intervalSeconds, TDateTime startTime)
    : intervalSeconds_(std::max<std::int32_t>(intervalSeconds, 0)),
      nextMs_(DateTimeToMs(startTime)) {}

std::int64_t HistoryCatchUpRecords(int channelCount) {
  const auto recordBytes = static_cast<std::int64_t>(std::max(channelCount, 1) * sizeof(float));
  return std::max<std::int64_t>(1, std::int64_t{kHistoryCatchUpBytesPerTick} / recordBytes);
}

std::int64_t HistorySchedule::RecordsDue(TDateTime tick, std::int64_t maxRecords) {
  const std::int64_t tickMs = DateTimeToMs(tick);
  if (intervalSeconds_ == 0 || !(nextMs_ < tickMs)) return 0;
  const std::int64_t stepMs = std::int64_t{intervalSeconds_} * kMsPerSecond;
  // The slots next, next + step, ... that lie strictly before the tick.
  const std::int64_t missed = (tickMs - nextMs_ - 1) / stepMs + 1;
  const std::int64_t due = std::min(missed, std::max<std::int64_t>(maxRecords, 1));
  nextMs_ += due * stepMs;
  return due;
}
