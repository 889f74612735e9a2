// The recording periods through the cycle: the period's files, the history schedule, and a disk
// that refuses records for a while.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/app/supervision/CycleFixture.h"
#include "tests/support/SmallFileSystem.h"

namespace {

namespace fs = std::filesystem;

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// Records of ticks from..to (their numbers as values), one a second from the period's start.
std::vector<std::pair<std::int64_t, float>> TicksAsRecords(int from, int to) {
  std::vector<std::pair<std::int64_t, float>> records;
  for (int tick = from; tick <= to; ++tick) {
    records.emplace_back(DateTimeToMs(kCycleStart) + (tick - 1) * 1000LL, float(tick));
  }
  return records;
}

class RecordingPeriodTest : public CycleFixture {
 protected:
  // The records of the period's history file, in whole; values of channel `channel`.
  std::vector<float> Recorded(int channel = 0) {
    HistoryFileReader reader;
    EXPECT_TRUE(reader.Open(Recording().HistoryDataPath()).ok()) << Recording().HistoryDataPath();
    std::vector<float> values;
    std::vector<float> record(reader.ChannelCount());
    for (std::int64_t k = 0; k < reader.RecordCount(); ++k) {
      EXPECT_TRUE(reader.ReadRecord(k, record.data()).ok());
      values.push_back(record[channel]);
    }
    return values;
  }
  // A disk that refuses the history writes from call `first` (1-based) on, `count` times.
  void SetRefusingDisk(int first, int count) {
    cycle.Recording().SetHistorySink(RefusingHistorySink(first, count));
  }
  // Gives channel 0 of meter 0 the number of the tick, so each record shows which tick wrote it.
  void TickNumbered(int number, double seconds = 1) {
    Meter(0).Values[0] = static_cast<float>(number);
    Tick(seconds);
  }
};

// ---- Opening a period --------------------------------------------------------------------------

TEST_F(RecordingPeriodTest, OpensThePeriodsFilesAndKeepsItsSchedule) {
  AddMeter("Boiler", {"T1", "T2"}, 5);
  AddMeter("Pump", {"P"}, 60);
  StartRun();
  EXPECT_EQ(Recording().HistoryDataPath(), dir.File("19Y12M/03D14H05M08S.vq"));
  EXPECT_EQ(cycle.Records().AlarmListPath(), dir.File("19Y12M/03D14H05M08S.xls"));
  EXPECT_EQ(Recording().HistoryInterval(), 5);
  EXPECT_EQ(DateTimeToMs(Recording().NextRecordTime()), DateTimeToMs(kCycleStart));
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.ChannelCount(), 3);
  EXPECT_EQ(reader.ChannelNameBytes(2), "PumpP");
  const AlarmLine header = BuildAlarmLine(kAlarmHeaderTexts);
  EXPECT_EQ(ReadFileBytes(cycle.Records().AlarmListPath()),
            std::string(header.begin(), header.end()));
  EXPECT_TRUE(reports.empty());
}

TEST_F(RecordingPeriodTest, ResetsTheAlarmRecordsAndTheOpenRowsOfTheChannelsInUse) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1", "T2", "T3"});
  StartRun();
  boiler.HHAFlags[2] = 1;
  boiler.HAFlags[1] = 1;
  Tick();  // rows 1 (HA of T2) and 2 (HHA of T3)
  ASSERT_EQ(cycle.Records().OpenRow(0, 2, 1), 1);
  ASSERT_EQ(cycle.Records().OpenRow(0, 3, 2), 2);
  boiler.ChannelCount = 2;  // channel 2 is not in use
  StartRun();
  EXPECT_EQ(cycle.Records().RowCount(), 1);
  EXPECT_EQ(view.Grid.size(), 1u);
  const AlarmRow headers = {"Slave Name", "Channel Name", "Alarm Mode", "Starting Time",
                            "End Time"};
  EXPECT_EQ(cycle.Records().Row(0), headers);
  EXPECT_EQ(view.Grid[0], headers);
  EXPECT_EQ(cycle.Records().OpenRow(0, 2, 1), 0);
  EXPECT_EQ(cycle.Records().OpenRow(0, 3, 2), 2);
  EXPECT_EQ(boiler.HAFlags[1].load(), 0);
}

TEST_F(RecordingPeriodTest, AFolderThatCannotBeMadeIsReportedOnceAndThePeriodIsRecordedThere) {
  AddMeter("Boiler", {"T1"}, 1);
  std::ofstream(dir.File("19Y12M")) << "a file where the month folder belongs";
  StartRun();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("19Y12M"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find(std::string(kKeptUntilFilesMade)), std::string::npos) << reports[0];
  EXPECT_TRUE(Recording().HistoryDataPath().empty());
  EXPECT_TRUE(cycle.Records().AlarmListPath().empty());
  cycle.Records().WriteAlarmRow(0, reports);
  TickNumbered(1);  // the folder is still in the way: tried again, not reported again
  fs::remove(dir.File("19Y12M"));
  TickNumbered(2);
  TickNumbered(3);
  EXPECT_EQ(Occurrences(ReportText(), "19Y12M:"), 1) << ReportText();
  // Nothing went anywhere else: the period's files are where they belong, with every record.
  EXPECT_EQ(Recording().HistoryDataPath(), dir.File("19Y12M/03D14H05M08S.vq"));
  EXPECT_EQ(TimedRecords(Recording().HistoryDataPath()), TicksAsRecords(1, 3));
  EXPECT_EQ(AlarmFileLineCount(cycle.Records().AlarmListPath()), 1);
  EXPECT_EQ(RowsIn("19Y12M/03DPM/Boiler_0.xls"), 2);  // the text row of tick 1 had no folder
}

TEST_F(RecordingPeriodTest, AHistoryFileRemovedDuringThePeriodIsReportedOnceAndNotRecreated) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  Tick();
  fs::remove(Recording().HistoryDataPath());
  Ticks(3);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find(".vq"), std::string::npos) << reports[0];
  EXPECT_FALSE(fs::exists(Recording().HistoryDataPath()));
}

// ---- A disk that refuses records for a while ------------------------------------------------

TEST_F(RecordingPeriodTest, AnOutageOfTheDiskCostsNoRecordAndEveryRecordKeepsItsTime) {
  AddMeter("Boiler", {"T1"}, 1);
  SetRefusingDisk(3, 5);  // the records of ticks 3..7 wait, and go out with tick 8's
  StartRun();
  for (int tick = 1; tick <= 12; ++tick) TickNumbered(tick);
  EXPECT_EQ(TimedRecords(Recording().HistoryDataPath()), TicksAsRecords(1, 12));
  ASSERT_EQ(reports.size(), 1u);  // told once, at the first refusal
  EXPECT_NE(reports[0].find("03D14H05M08S.vq"), std::string::npos) << reports[0];
}

TEST_F(RecordingPeriodTest, PastTheHoldLimitRecordingGoesOnInNewFilesWhoseTimesAreRight) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1"}, 1);
  cycle.Recording().SetHistoryHoldLimitBytes(3 * sizeof(float));  // three records of one channel
  SetRefusingDisk(3, 5);
  StartRun();
  boiler.HAFlags[0] = 1;  // an alarm that lasts through the change of files
  const std::string first = Recording().HistoryDataPath();
  for (int tick = 1; tick <= 10; ++tick) TickNumbered(tick);
  // Ticks 3..6 were held until the fourth passed the limit, and are lost; tick 7's record starts
  // the new files (named by the clock then), where it waits for tick 8's write.
  EXPECT_EQ(TimedRecords(first), TicksAsRecords(1, 2));
  ASSERT_EQ(Recording().HistoryDataPath(), dir.File("19Y12M/03D14H05M15S.vq"));
  EXPECT_EQ(cycle.Records().AlarmListPath(), dir.File("19Y12M/03D14H05M15S.xls"));
  EXPECT_EQ(TimedRecords(Recording().HistoryDataPath()), TicksAsRecords(7, 10));
  // The new alarm list starts with its header line; the alarm still raised opens its row again
  // there, at the tick after the change.
  const AlarmLine header = BuildAlarmLine(kAlarmHeaderTexts);
  const AlarmLine row = BuildAlarmLine({"Boiler", "T1", "HA", "19-12-03 14:05:16", ""});
  EXPECT_EQ(ReadFileBytes(cycle.Records().AlarmListPath()),
            std::string(header.begin(), header.end()) + std::string(row.begin(), row.end()));
  EXPECT_EQ(cycle.Records().RowCount(), 2);
  EXPECT_EQ(view.Grid.size(), 2u);
  const std::string told = ReportText();
  EXPECT_EQ(Occurrences(told, "could not be written and are lost"), 1) << told;
  EXPECT_NE(told.find(first + ": 4 records held in memory are given up; recording goes on in a "
                              "new file as soon as one can be written"),
            std::string::npos)
      << told;
  EXPECT_NE(told.find(first + ": 4 records could not be written and are lost; recording goes on "
                              "in " +
                      Recording().HistoryDataPath()),
            std::string::npos)
      << told;
}

TEST_F(RecordingPeriodTest, RecordsStillHeldWhenThePeriodEndsAreTriedOnceMoreThenReportedLost) {
  AddMeter("Boiler", {"T1"}, 1);
  SetRefusingDisk(2, 100);
  StartRun();
  Ticks(4);
  cycle.CloseRecordingPeriod(reports);
  EXPECT_EQ(TimedRecords(Recording().HistoryDataPath()).size(), 1u);
  EXPECT_NE(ReportText().find("3 records could not be written and are lost"), std::string::npos)
      << ReportText();
}

// ---- A period that opens on a full disk -----------------------------------------------------

class FullDiskPeriodTest : public RecordingPeriodTest {
 protected:
  void SetUp() override {
    if (!disk.Available()) GTEST_SKIP() << "no small file system here: " << disk.Why();
    SetAppDir(disk.Path());
    disk.Fill();
  }
  std::string OnDisk(const std::string& relative) const { return disk.Path() + "/" + relative; }

  SmallFileSystem disk{1 << 20};
};

TEST_F(FullDiskPeriodTest, ThePeriodIsRecordedInFullOnceItsFilesCanBeMade) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "Cannot write " + OnDisk("19Y12M/03D14H05M08S.vq") +
                            ": No space left on device" + std::string(kKeptUntilFilesMade));
  TickNumbered(1);
  boiler.HAFlags[0] = 1;
  TickNumbered(2);  // the alarm row opens at 14:05:10
  TickNumbered(3);
  EXPECT_TRUE(Recording().HistoryDataPath().empty());
  disk.Free();
  TickNumbered(4);
  TickNumbered(5);
  ASSERT_EQ(Recording().HistoryDataPath(), OnDisk("19Y12M/03D14H05M08S.vq"));
  EXPECT_EQ(TimedRecords(Recording().HistoryDataPath()), TicksAsRecords(1, 5));
  const AlarmLine header = BuildAlarmLine(kAlarmHeaderTexts);
  EXPECT_EQ(ReadFileBytes(OnDisk("19Y12M/03D14H05M08S.xls")),
            std::string(header.begin(), header.end()) +
                AlarmFileLine("Boiler", "T1", "HA", "19-12-03 14:05:10"));
  // The history file was told of once; the text file, which fails with it, once too.
  EXPECT_EQ(Occurrences(ReportText(), ".vq"), 1) << ReportText();
  EXPECT_EQ(DataRows(ReadFileBytes(OnDisk("19Y12M/03DPM/Boiler_0.xls"))), 2);
}

TEST_F(FullDiskPeriodTest, AtThePeriodsEndWithoutFilesTheOperatorIsToldWhatIsLost) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  boiler.LAFlags[0] = 1;
  Ticks(2);
  cycle.CloseRecordingPeriod(reports);
  const std::string told = ReportText();
  EXPECT_NE(told.find(OnDisk("19Y12M/03D14H05M08S.vq") +
                      ": 2 records could not be written and are lost"),
            std::string::npos)
      << told;
  EXPECT_NE(told.find(OnDisk("19Y12M/03D14H05M08S.xls") +
                      ": 1 alarm row could not be written and is lost"),
            std::string::npos)
      << told;
}

TEST_F(FullDiskPeriodTest, PastTheHoldLimitTheOperatorIsToldHowManyRecordsWereGivenUp) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1"}, 1);
  cycle.Recording().SetHistoryHoldLimitBytes(3 * sizeof(float));  // three records of one channel
  StartRun();
  boiler.HAFlags[0] = 1;  // its row opens at the first tick and has no file to go to
  for (int tick = 1; tick <= 5; ++tick) TickNumbered(tick);
  disk.Free();
  for (int tick = 6; tick <= 7; ++tick) TickNumbered(tick);
  // Ticks 1..4 were held until the fourth passed the limit; tick 5 found no file either. Tick 6's
  // record starts the files made then.
  const std::string intended = OnDisk("19Y12M/03D14H05M08S.vq");
  ASSERT_EQ(Recording().HistoryDataPath(), OnDisk("19Y12M/03D14H05M14S.vq"));
  EXPECT_EQ(TimedRecords(Recording().HistoryDataPath()), TicksAsRecords(6, 7));
  const std::string told = ReportText();
  EXPECT_NE(told.find(intended + ": 4 records held in memory are given up"), std::string::npos)
      << told;
  EXPECT_NE(told.find(intended + ": 5 records could not be written and are lost; recording goes "
                                 "on in " + Recording().HistoryDataPath()),
            std::string::npos)
      << told;
  // The alarm row, written nowhere before, is kept and goes to the new alarm list.
  const AlarmLine header = BuildAlarmLine(kAlarmHeaderTexts);
  EXPECT_EQ(ReadFileBytes(cycle.Records().AlarmListPath()),
            std::string(header.begin(), header.end()) +
                AlarmFileLine("Boiler", "T1", "HA", "19-12-03 14:05:09"));
}

// ---- History schedule --------------------------------------------------------------------------

TEST_F(RecordingPeriodTest, IntervalFiveRecordsAtTheFirstTickThenStrictlyAfterEachInterval) {
  AddMeter("Boiler", {"T1"}, 5);
  StartRun();
  for (int tick = 1; tick <= 12; ++tick) TickNumbered(tick);
  // Start + 1 s, then the first ticks strictly after + 5 s and + 10 s.
  EXPECT_EQ(Recorded(), (std::vector<float>{1, 6, 11}));
  EXPECT_EQ(DateTimeToMs(Recording().NextRecordTime()), DateTimeToMs(kCycleStart) + 15000);
}

TEST_F(RecordingPeriodTest, AfterAStallTheFirstTickFillsTheMissedSlotsWithItsValues) {
  AddMeter("Boiler", {"T1"}, 5);
  StartRun();
  TickNumbered(1);          // record 0, next + 5 s
  TickNumbered(2, 29);      // + 30 s after a stall: the slots + 5 .. + 25 s
  for (int tick = 3; tick <= 9; ++tick) TickNumbered(tick);  // + 31 .. + 37 s
  // Slot + 30 s is written at + 31 s, + 35 s at + 36 s; + 37 s is not past + 40 s.
  EXPECT_EQ(Recorded(), (std::vector<float>{1, 2, 2, 2, 2, 2, 3, 8}));
  EXPECT_EQ(DateTimeToMs(Recording().NextRecordTime()), DateTimeToMs(kCycleStart) + 40000);
}

// At one record a second a stall or a clock step used to shift every later record for good.
// Record k must be slot k's again at once, and never be written before its slot has come.
TEST_F(RecordingPeriodTest, AtIntervalOneStallsAndClockStepsLeaveEveryRecordInItsSlot) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  int tick = 0;
  const auto ticks = [&](int count, double first) {
    for (int i = 0; i < count; ++i) TickNumbered(++tick, i == 0 ? first : 1);
  };
  ticks(3, 1);   // + 1 .. + 3 s: slots 0 .. 2
  ticks(4, 13);  // the process stood still for 12 s: + 16 fills slots 3 .. 15, then 16 .. 18
  ticks(2, 31);  // the clock set forward by 30 s: + 50 fills slots 19 .. 49, + 51 slot 50
  ticks(30, -29);  // set back by 30 s: + 22 .. + 51, no slot has come
  EXPECT_EQ(TimedRecords(Recording().HistoryDataPath()).size(), 51u);
  ticks(4, 1);   // + 52 .. + 55: slots 51 .. 54
  // Slot k (its time) and the tick that wrote it.
  std::vector<std::pair<std::int64_t, float>> expected;
  const auto slots = [&](int from, int to, int byTick) {
    for (int k = from; k <= to; ++k) {
      expected.emplace_back(DateTimeToMs(kCycleStart) + k * 1000LL, float(byTick ? byTick : k + 1));
    }
  };
  slots(0, 2, 0);
  slots(3, 15, 4);
  expected.emplace_back(DateTimeToMs(kCycleStart) + 16000, 5.0f);
  expected.emplace_back(DateTimeToMs(kCycleStart) + 17000, 6.0f);
  expected.emplace_back(DateTimeToMs(kCycleStart) + 18000, 7.0f);
  slots(19, 49, 8);
  slots(50, 50, 9);
  for (int k = 51; k <= 54; ++k) slots(k, k, k - 11);  // ticks 40 .. 43
  EXPECT_EQ(TimedRecords(Recording().HistoryDataPath()), expected);
}

TEST_F(RecordingPeriodTest, IntervalZeroKeepsTheHeaderOnly) {
  AddMeter("Boiler", {"T1"}, 0);
  AddMeter("Pump", {"P"}, 1);
  StartRun();
  Ticks(5);
  EXPECT_EQ(Recording().HistoryInterval(), 0);
  EXPECT_EQ(fs::file_size(Recording().HistoryDataPath()), 460824u);
}

TEST_F(RecordingPeriodTest, ANegativeIntervalOfMeterZeroCountsAsZero) {
  AddMeter("Boiler", {"T1"}, -5);
  StartRun();
  Ticks(5);
  EXPECT_EQ(Recording().HistoryInterval(), 0);
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.IntervalSeconds(), 0);
  EXPECT_EQ(reader.RecordCount(), 0);
}

TEST_F(RecordingPeriodTest, RecordsHoldEveryChannelOfTheTickAlsoWhileAMeterIsOffline) {
  TMeterRecord& a = AddMeter("A", {"1", "2"}, 1);
  TMeterRecord& b = AddMeter("B", {"1"}, 1);
  a.Values[0] = 0.1f;
  a.Values[1] = -32768.0f;
  b.Values[0] = 3.0e-5f;
  b.Online = 0;  // the value of its last good poll is recorded all the same
  StartRun();
  Tick();
  EXPECT_EQ(Recorded(0), std::vector<float>{0.1f});
  EXPECT_EQ(Recorded(1), std::vector<float>{-32768.0f});
  EXPECT_EQ(Recorded(2), std::vector<float>{3.0e-5f});
  EXPECT_EQ(fs::file_size(Recording().HistoryDataPath()), 460824u + 12u);
}

}  // namespace
