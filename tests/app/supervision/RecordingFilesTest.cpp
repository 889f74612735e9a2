#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/FixedText.h"
#include "station/app/supervision/AlarmListFile.h"
#include "station/app/supervision/RecordingFiles.h"
#include "tests/app/MeterTableHelpers.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

TDateTime PlusMs(TDateTime t, std::int64_t ms) { return MsToDateTime(DateTimeToMs(t) + ms); }

// 2019-12-03 14:05:09.250
const TDateTime kOpened = EncodeDateTime({2019, 12, 3, 14, 5, 9, 250});

// The history step of a tick, as the main window runs it: the record goes out when it is due.
void RunHistoryStep(HistorySchedule& schedule, HistoryFileWriter& writer, TDateTime tick,
                    const float* values, int count) {
  if (const std::int64_t due = schedule.RecordsDue(tick, 100)) writer.Append(values, count, due);
}

class RecordingFilesTest : public ::testing::Test {
 protected:
  // A meter as loaded, before any poll has answered: offline.
  void AddMeter(const char* name, const std::vector<const char*>& channels,
                std::int32_t interval) {
    AddTestMeter(table_, name, channels, interval).Online = 0;
  }
  std::string InFolder(const char* name) const { return dir_.File(std::string("19Y12M/") + name); }

  TempDir dir_;
  MeterTable table_;
  ScopedFakeClock clock_{kOpened};
};

TEST_F(RecordingFilesTest, OpensBothFilesNamedByTheMomentWithHeaderAndHeaderLine) {
  AddMeter("Boiler", {"T1", "T2"}, 5);
  AddMeter("Pump", {"P"}, 60);
  const RecordingPeriod period = OpenRecordingFiles(dir_.Path(), table_);
  EXPECT_TRUE(period.Problem.empty()) << period.Problem;
  EXPECT_EQ(period.HistoryDataPath, InFolder("03D14H05M09S.vq"));
  EXPECT_EQ(period.AlarmListPath, InFolder("03D14H05M09S.xls"));
  EXPECT_EQ(period.HistoryInterval, 5);
  EXPECT_EQ(period.ChannelCount, 3);
  EXPECT_EQ(DateTimeToMs(period.NextRecordTime), DateTimeToMs(kOpened));

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(period.HistoryDataPath).ok());
  EXPECT_EQ(reader.FileSize(), 460824);
  EXPECT_EQ(DateTimeToMs(reader.StartTime()), DateTimeToMs(kOpened));
  EXPECT_EQ(reader.IntervalSeconds(), 5);
  EXPECT_EQ(reader.ChannelCount(), 3);
  EXPECT_EQ(reader.ChannelNameBytes(0), "BoilerT1");
  EXPECT_EQ(reader.ChannelNameBytes(1), "BoilerT2");
  EXPECT_EQ(reader.ChannelNameBytes(2), "PumpP");
  EXPECT_EQ(std::string(reader.Header().ChannelNames[3], 80), std::string(80, '\0'));

  const AlarmLine header = BuildAlarmLine(kAlarmHeaderTexts);
  EXPECT_EQ(ReadFileBytes(period.AlarmListPath), std::string(header.begin(), header.end()));
}

TEST_F(RecordingFilesTest, ClearsTheAlarmFlagsOfTheChannelsInUseOnly) {
  AddMeter("Boiler", {"T1", "T2"}, 1);
  TMeterRecord& meter = table_.Meters[0];
  for (int ch : {0, 1, 2})
    meter.LLAFlags[ch] = meter.LAFlags[ch] = meter.HAFlags[ch] = meter.HHAFlags[ch] = 1;
  table_.Meters[1].HAFlags[0] = 1;  // a free slot
  OpenRecordingFiles(dir_.Path(), table_);
  EXPECT_FALSE(meter.AnyAlarmFlag(0));
  EXPECT_FALSE(meter.AnyAlarmFlag(1));
  EXPECT_TRUE(meter.AnyAlarmFlag(2));
  EXPECT_TRUE(table_.Meters[1].AnyAlarmFlag(0));
}

TEST_F(RecordingFilesTest, SecondPeriodInTheSameSecondLeavesTheFirstPeriodsFilesIntact) {
  AddMeter("Boiler", {"T1"}, 1);
  const RecordingPeriod first = OpenRecordingFiles(dir_.Path(), table_);
  const float value = 42.0f;
  ASSERT_TRUE(HistoryFileWriter(first.HistoryDataPath, 1).Append(&value, 1).Written);
  AlarmListWriter(first.AlarmListPath).WriteRow(1, {"Boiler", "T1", "LA", "19-12-03 14:05:10", ""});
  const std::string historyBefore = ReadFileBytes(first.HistoryDataPath);
  const std::string alarmsBefore = ReadFileBytes(first.AlarmListPath);

  const RecordingPeriod second = OpenRecordingFiles(dir_.Path(), table_);
  EXPECT_TRUE(second.Problem.empty()) << second.Problem;
  EXPECT_EQ(second.HistoryDataPath, InFolder("03D14H05M10S.vq"));
  EXPECT_EQ(second.AlarmListPath, InFolder("03D14H05M10S.xls"));
  EXPECT_EQ(ReadFileBytes(first.HistoryDataPath), historyBefore);
  EXPECT_EQ(ReadFileBytes(first.AlarmListPath), alarmsBefore);
  EXPECT_EQ(fs::file_size(second.HistoryDataPath), 460824u);
  EXPECT_EQ(fs::file_size(second.AlarmListPath), 150u);
  // The start time stays the moment the period opened; only the names moved on.
  EXPECT_EQ(DateTimeToMs(second.NextRecordTime), DateTimeToMs(kOpened));
}

TEST_F(RecordingFilesTest, TakenAlarmListNameMovesBothFilesOn) {
  AddMeter("Boiler", {"T1"}, 1);
  fs::create_directory(dir_.File("19Y12M"));
  std::ofstream(InFolder("03D14H05M09S.xls")) << "stray";
  const RecordingPeriod period = OpenRecordingFiles(dir_.Path(), table_);
  EXPECT_EQ(period.HistoryDataPath, InFolder("03D14H05M10S.vq"));
  EXPECT_EQ(period.AlarmListPath, InFolder("03D14H05M10S.xls"));
  EXPECT_FALSE(fs::exists(InFolder("03D14H05M09S.vq")));
  EXPECT_EQ(ReadFileBytes(InFolder("03D14H05M09S.xls")), "stray");
}

TEST_F(RecordingFilesTest, NameMovingPastMidnightGoesToTheNextMonthsFolder) {
  clock_.Set(EncodeDateTime({2019, 12, 31, 23, 59, 59, 500}));
  AddMeter("Boiler", {"T1"}, 1);
  OpenRecordingFiles(dir_.Path(), table_);
  const RecordingPeriod second = OpenRecordingFiles(dir_.Path(), table_);
  EXPECT_EQ(second.HistoryDataPath, dir_.File("20Y01M/01D00H00M00S.vq"));
  EXPECT_TRUE(fs::exists(second.AlarmListPath));
}

TEST_F(RecordingFilesTest, EmptyTableTakesTheIntervalFromSlotZeroAndRecordsNothing) {
  table_.Meters[0].RecordInterval = 7;  // left behind by a deleted meter
  const RecordingPeriod period = OpenRecordingFiles(dir_.Path(), table_);
  EXPECT_EQ(period.HistoryInterval, 7);
  EXPECT_EQ(period.ChannelCount, 0);
  const std::string bytes = ReadFileBytes(period.HistoryDataPath);
  EXPECT_EQ(bytes.substr(20, 460800), std::string(460800, '\0'));

  HistorySchedule schedule(period.HistoryInterval, period.NextRecordTime);
  HistoryFileWriter writer(period.HistoryDataPath, period.ChannelCount);
  for (int s = 1; s <= 30; ++s)
    RunHistoryStep(schedule, writer, PlusMs(kOpened, s * 1000), nullptr, 0);
  EXPECT_EQ(fs::file_size(period.HistoryDataPath), 460824u);
}

TEST_F(RecordingFilesTest, FullTableUsesEverySlot) {
  for (int m = 0; m < kMaxMeters; ++m)
    AddMeter("M", std::vector<const char*>(kMaxChannels, "C"), 1);
  WriteFixedText(table_.Meters[119].Name, std::string(39, 'm'));
  WriteFixedText(table_.Meters[119].Channels[47].Name, std::string(39, 'c'));
  const RecordingPeriod period = OpenRecordingFiles(dir_.Path(), table_);
  ASSERT_EQ(period.ChannelCount, 5760);
  const std::string bytes = ReadFileBytes(period.HistoryDataPath);
  ASSERT_EQ(bytes.size(), 460824u);
  EXPECT_EQ(bytes.substr(460740, 80), std::string(39, 'm') + std::string(39, 'c') + '\0' + '\0');
}

TEST_F(RecordingFilesTest, DamagedTableValuesAreKeptInRange) {
  AddMeter("Boiler", {"T1"}, -3);
  table_.Meters[0].ChannelCount = 200;
  table_.MeterCount = 130;
  const RecordingPeriod period = OpenRecordingFiles(dir_.Path(), table_);
  EXPECT_EQ(period.HistoryInterval, 0);  // a negative interval means no records
  // Taken as 120 meters and 48 channels; the other slots hold no channels.
  EXPECT_EQ(period.ChannelCount, 48);
  HistoryFileReader reader;
  EXPECT_TRUE(reader.Open(period.HistoryDataPath).ok());
}

TEST_F(RecordingFilesTest, UnusableFolderIsReportedWithoutPaths) {
  const std::string notAFolder = dir_.File("file");
  std::ofstream(notAFolder) << "x";
  AddMeter("Boiler", {"T1"}, 1);
  const RecordingPeriod period = OpenRecordingFiles(notAFolder, table_);
  EXPECT_NE(period.Problem.find(notAFolder), std::string::npos);
  EXPECT_TRUE(period.HistoryDataPath.empty());
  EXPECT_TRUE(period.AlarmListPath.empty());
}

TEST_F(RecordingFilesTest, AMonthFolderThatCannotBeLookedAtIsReportedNotRaised) {
  fs::create_directory_symlink("19Y12M", dir_.File("19Y12M"));  // a link to itself
  AddMeter("Boiler", {"T1"}, 1);
  RecordingPeriod period;
  ASSERT_NO_THROW(period = OpenRecordingFiles(dir_.Path(), table_));
  EXPECT_NE(period.Problem.find(dir_.File("19Y12M")), std::string::npos) << period.Problem;
  EXPECT_TRUE(period.HistoryDataPath.empty());
  EXPECT_TRUE(period.AlarmListPath.empty());
}

TEST_F(RecordingFilesTest, HistoryStepAppendsTheTicksValuesWhenDue) {
  AddMeter("Boiler", {"T1", "T2"}, 5);
  const RecordingPeriod period = OpenRecordingFiles(dir_.Path(), table_);
  HistorySchedule schedule(period.HistoryInterval, period.NextRecordTime);
  HistoryFileWriter writer(period.HistoryDataPath, period.ChannelCount);
  for (int s = 0; s <= 11; ++s) {
    const float values[2] = {static_cast<float>(s), static_cast<float>(-s)};
    RunHistoryStep(schedule, writer, PlusMs(kOpened, s * 1000LL + 300), values, 2);
  }
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(period.HistoryDataPath).ok());
  ASSERT_EQ(reader.RecordCount(), 3);
  std::vector<float> back(6);
  ASSERT_TRUE(reader.ReadRecords(0, 3, back.data()).ok());
  EXPECT_EQ(back, (std::vector<float>{0, 0, 5, -5, 10, -10}));
}

// ---- History schedule ------------------------------------------------------------------------

// Ticks at the start plus each of `seconds` and `extraMs`; returns the seconds at which records
// were due, each as often as records were due then.
std::vector<int> DueSeconds(HistorySchedule& schedule, const std::vector<int>& seconds,
                            int extraMs) {
  std::vector<int> due;
  for (int s : seconds) {
    due.insert(due.end(), schedule.RecordsDue(PlusMs(kOpened, s * 1000LL + extraMs), 1000), s);
  }
  return due;
}

std::vector<int> Range(int from, int to, std::vector<int> before = {}) {
  for (int s = from; s <= to; ++s) before.push_back(s);
  return before;
}

TEST(HistoryScheduleTest, RecordsAtTheFirstTickStrictlyAfterEachDueTime) {
  HistorySchedule schedule(5, kOpened);
  EXPECT_EQ(DueSeconds(schedule, Range(0, 16), 300), (std::vector<int>{0, 5, 10, 15}));
  HistorySchedule exact(5, kOpened);  // a tick at exactly the due time is not later
  EXPECT_EQ(DueSeconds(exact, Range(0, 12), 0), (std::vector<int>{1, 6, 11}));
}

TEST(HistoryScheduleTest, TheFirstTickAfterAStallFillsEverySlotItMissed) {
  HistorySchedule schedule(5, kOpened);
  EXPECT_EQ(DueSeconds(schedule, Range(20, 31, {0}), 300),
            (std::vector<int>{0, 20, 20, 20, 20, 25, 30}));
  // Also at an interval of 1: the lag is made up at once, so record k is slot k's again.
  HistorySchedule everySecond(1, kOpened);
  EXPECT_EQ(DueSeconds(everySecond, Range(10, 40, {0}), 300).size(), 41u);
  EXPECT_EQ(DateTimeToMs(everySecond.NextRecordTime()) - DateTimeToMs(kOpened), 41000);
  // A longer gap than one tick may fill is filled over the following ticks.
  HistorySchedule capped(1, kOpened);
  EXPECT_EQ(capped.RecordsDue(PlusMs(kOpened, 100300), 40), 40);
  EXPECT_EQ(capped.RecordsDue(PlusMs(kOpened, 101300), 40), 40);
  EXPECT_EQ(capped.RecordsDue(PlusMs(kOpened, 102300), 40), 23);
  EXPECT_EQ(capped.RecordsDue(PlusMs(kOpened, 103300), 40), 1);
}

TEST(HistoryScheduleTest, AfterTheClockWasSetBackNoRecordIsDueBeforeItsSlot) {
  HistorySchedule schedule(1, kOpened);
  EXPECT_EQ(DueSeconds(schedule, Range(0, 9), 300).size(), 10u);  // slots 0..9
  // Set back by 30 s: nothing is due until the clock has passed slot 10 again.
  EXPECT_TRUE(DueSeconds(schedule, Range(-20, 9), 500).empty());
  EXPECT_EQ(DueSeconds(schedule, {10, 11}, 500), (std::vector<int>{10, 11}));
}

TEST(HistoryScheduleTest, IntervalZeroIsNeverDue) {
  HistorySchedule schedule(0, kOpened);
  EXPECT_TRUE(DueSeconds(schedule, Range(0, 100), 300).empty());
}

TEST(HistoryScheduleTest, ScheduleDoesNotDriftOverADay) {
  HistorySchedule schedule(1, kOpened);
  int records = 0;
  for (int s = 0; s < 86400; ++s) {
    records += schedule.RecordsDue(PlusMs(kOpened, s * 1000LL + 1), 1);
  }
  EXPECT_EQ(records, 86400);
  EXPECT_EQ(DateTimeToMs(schedule.NextRecordTime()), DateTimeToMs(kOpened) + 86400000LL);
}

}  // namespace
