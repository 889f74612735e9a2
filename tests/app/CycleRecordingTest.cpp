#include <gtest/gtest.h>

#include "platform/gui/StringGrid.h"
#include "tests/app/CycleTestSupport.h"

namespace {

namespace fs = std::filesystem;

class CycleRecordingTest : public CycleTest {
 protected:
  // The records of the period's history file, in whole; values of channel `channel`.
  std::vector<float> Recorded(int channel = 0) {
    HistoryFileReader reader;
    EXPECT_TRUE(reader.Open(form->Cycle().Recording().HistoryDataPath()).ok()) << form->Cycle().Recording().HistoryDataPath();
    std::vector<float> values;
    std::vector<float> record(reader.ChannelCount());
    for (std::int64_t k = 0; k < reader.RecordCount(); ++k) {
      EXPECT_TRUE(reader.ReadRecord(k, record.data()).ok());
      values.push_back(record[channel]);
    }
    return values;
  }
  // Gives channel 0 of meter 0 the number of the tick, so each record shows which tick wrote it.
  void TickNumbered(int number, double seconds = 1) {
    Meter(0).Values[0] = static_cast<float>(number);
    Tick(seconds);
  }
};

// ---- Opening a period --------------------------------------------------------------------------

TEST_F(CycleRecordingTest, OpensThePeriodsFilesAndKeepsItsScheduleInTheWindow) {
  AddMeter("Boiler", {"T1", "T2"}, 5);
  AddMeter("Pump", {"P"}, 60);
  StartRun();
  EXPECT_EQ(form->Cycle().Recording().HistoryDataPath(), dir.File("19Y12M/03D14H05M08S.vq"));
  EXPECT_EQ(form->Cycle().Recording().AlarmListPath(), dir.File("19Y12M/03D14H05M08S.xls"));
  EXPECT_EQ(form->Cycle().Recording().HistoryInterval(), 5);
  EXPECT_EQ(DateTimeToMs(form->Cycle().Recording().NextRecordTime()), DateTimeToMs(kCycleStart));
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(form->Cycle().Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.ChannelCount(), 3);
  EXPECT_EQ(reader.ChannelNameBytes(2), "PumpP");
  const AlarmLine header = BuildAlarmLine(kAlarmHeaderTexts);
  EXPECT_EQ(ReadFileBytes(form->Cycle().Recording().AlarmListPath()), std::string(header.begin(), header.end()));
}

TEST_F(CycleRecordingTest, ResetsTheAlarmGridAndTheOpenRowsOfTheChannelsInUse) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1", "T2", "T3"});
  StartRun();
  boiler.HHAFlags[2] = 1;
  boiler.HAFlags[1] = 1;
  Tick();  // rows 1 (HA of T2) and 2 (HHA of T3)
  ASSERT_EQ(form->Cycle().Records().OpenRow(0, 2, 1), 1);
  boiler.ChannelCount = 2;  // channel 2 is not in use
  TStringGrid& grid = *form->strgGrid_AlarmRecList;
  grid.SetRowCount(4);
  grid.SetCells(0, 3, "old");
  StartRun();
  EXPECT_EQ(grid.RowCount(), 1);
  const QStringList headers = {"Slave Name", "Channel Name", "Alarm Mode", "Starting Time",
                               "End Time"};
  for (int col = 0; col < 5; ++col) EXPECT_EQ(grid.Cells(col, 0), headers[col]);
  EXPECT_EQ(form->Cycle().Records().OpenRow(0, 2, 1), 0);
  EXPECT_EQ(form->Cycle().Records().OpenRow(0, 3, 2), 2);
  EXPECT_EQ(boiler.HAFlags[1].load(), 0);
}

TEST_F(CycleRecordingTest, WriteAlarmRowMirrorsTheGridRowAsItsLine) {
  AddMeter("Boiler", {"T1"});
  StartRun();
  TStringGrid& grid = *form->strgGrid_AlarmRecList;
  grid.SetRowCount(3);
  const AlarmRowTexts row2 = {"Boiler", "T1", "HA", "19-12-03 14:05:09", "19-12-03 14:05:12"};
  for (int col = 0; col < 5; ++col) {
    grid.SetCells(col, 2, QString::fromUtf8(row2[col].data(), row2[col].size()));
  }
  form->WriteAlarmRow(2);
  const std::string file = ReadFileBytes(form->Cycle().Recording().AlarmListPath());
  ASSERT_EQ(file.size(), 450u);
  const AlarmLine line = BuildAlarmLine(row2);
  EXPECT_EQ(file.substr(300), std::string(line.begin(), line.end()));
  EXPECT_EQ(file.substr(150, 150), std::string(150, '\0'));
}

TEST_F(CycleRecordingTest, AFolderThatCannotBeMadeIsReportedOnceAndNothingIsRecordedElsewhere) {
  AddMeter("Boiler", {"T1"}, 1);
  std::ofstream(dir.File("19Y12M")) << "a file where the month folder belongs";
  StartRun();
  EXPECT_TRUE(errorBoxes.isEmpty());  // shown after the handler, not inside it
  Settle();
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].contains("19Y12M")) << errorBoxes[0].toStdString();
  EXPECT_TRUE(form->Cycle().Recording().HistoryDataPath().empty());
  EXPECT_TRUE(form->Cycle().Recording().AlarmListPath().empty());
  fs::remove(dir.File("19Y12M"));
  form->WriteAlarmRow(0);
  Ticks(3);
  Settle();
  EXPECT_EQ(errorBoxes.size(), 1);
  // The text rows are not part of the period; they still go to their folders.
  EXPECT_EQ(RowsIn("19Y12M/03DPM/Boiler_0.xls"), 3);
  for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
    EXPECT_NE(entry.path().extension(), ".vq") << entry.path();
  }
}

TEST_F(CycleRecordingTest, AHistoryFileRemovedDuringThePeriodIsReportedOnceAndNotRecreated) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  Tick();
  fs::remove(form->Cycle().Recording().HistoryDataPath());
  Ticks(3);
  Settle();
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].contains(".vq")) << errorBoxes[0].toStdString();
  EXPECT_FALSE(fs::exists(form->Cycle().Recording().HistoryDataPath()));
}

// ---- A disk that refuses records for a while ------------------------------------------------

// Stands for a disk that refuses the history writes from call `first` (1-based) on, `count` times.
void RefuseWrites(Tfm_MainForm& form, int first, int count) {
  auto calls = std::make_shared<int>(0);
  form.Cycle().Recording().SetHistorySink([=](const std::string& path, std::size_t recordBytes,
                                              const void* records, std::size_t n,
                                              std::size_t& written) {
    ++*calls;
    if (*calls >= first && *calls < first + count) {
      written = 0;
      return FileStatus::Fail(FileError::Io, "Cannot write " + path + ": No space left");
    }
    return AppendHistoryRecords(path, recordBytes, records, n, written);
  });
}

// Every record of a history file as the viewer reads it: its time (ms) and channel 0's value.
std::vector<std::pair<std::int64_t, float>> TimedRecords(const std::string& path) {
  HistoryFileReader reader;
  EXPECT_TRUE(reader.Open(path).ok()) << path;
  std::vector<std::pair<std::int64_t, float>> records;
  std::vector<float> record(reader.ChannelCount());
  for (std::int64_t k = 0; k < reader.RecordCount(); ++k) {
    EXPECT_TRUE(reader.ReadRecord(k, record.data()).ok());
    records.emplace_back(DateTimeToMs(reader.RecordTime(k)), record[0]);
  }
  return records;
}

// Records of ticks from..to (their numbers as values), one a second from the period's start.
std::vector<std::pair<std::int64_t, float>> TicksAsRecords(int from, int to) {
  std::vector<std::pair<std::int64_t, float>> records;
  for (int tick = from; tick <= to; ++tick) {
    records.emplace_back(DateTimeToMs(kCycleStart) + (tick - 1) * 1000LL, float(tick));
  }
  return records;
}

TEST_F(CycleRecordingTest, AnOutageOfTheDiskCostsNoRecordAndEveryRecordKeepsItsTime) {
  AddMeter("Boiler", {"T1"}, 1);
  RefuseWrites(*form, 3, 5);  // the records of ticks 3..7 wait, and go out with tick 8's
  StartRun();
  for (int tick = 1; tick <= 12; ++tick) TickNumbered(tick);
  Settle();
  EXPECT_EQ(TimedRecords(form->Cycle().Recording().HistoryDataPath()), TicksAsRecords(1, 12));
  ASSERT_EQ(errorBoxes.size(), 1);  // told once, at the first refusal
  EXPECT_TRUE(errorBoxes[0].contains("03D14H05M08S.vq")) << errorBoxes[0].toStdString();
}

TEST_F(CycleRecordingTest, PastTheHoldLimitRecordingGoesOnInNewFilesWhoseTimesAreRight) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1"}, 1);
  form->Cycle().Recording().SetHistoryHoldLimitBytes(3 * sizeof(float));  // three records of one channel
  RefuseWrites(*form, 3, 5);
  StartRun();
  boiler.HAFlags[0] = 1;  // an alarm that lasts through the change of files
  const std::string first = form->Cycle().Recording().HistoryDataPath();
  for (int tick = 1; tick <= 10; ++tick) TickNumbered(tick);
  Settle();
  // Ticks 3..6 were held until the fourth passed the limit, and are lost; tick 7's record starts
  // the new files (named by the clock then), where it waits for tick 8's write.
  EXPECT_EQ(TimedRecords(first), TicksAsRecords(1, 2));
  ASSERT_EQ(form->Cycle().Recording().HistoryDataPath(), dir.File("19Y12M/03D14H05M15S.vq"));
  EXPECT_EQ(form->Cycle().Recording().AlarmListPath(), dir.File("19Y12M/03D14H05M15S.xls"));
  EXPECT_EQ(TimedRecords(form->Cycle().Recording().HistoryDataPath()), TicksAsRecords(7, 10));
  // The new alarm list starts with its header line; the alarm still raised opens its row again
  // there, at the tick after the change.
  const AlarmLine header = BuildAlarmLine(kAlarmHeaderTexts);
  const AlarmLine row = BuildAlarmLine({"Boiler", "T1", "HA", "19-12-03 14:05:16", ""});
  EXPECT_EQ(ReadFileBytes(form->Cycle().Recording().AlarmListPath()),
            std::string(header.begin(), header.end()) + std::string(row.begin(), row.end()));
  EXPECT_EQ(form->strgGrid_AlarmRecList->RowCount(), 2);
  const QString told = errorBoxes.join('\n');
  EXPECT_EQ(told.count("could not be written and are lost"), 1) << told.toStdString();
  EXPECT_TRUE(told.contains(QString::fromStdString(
      first + ": 4 records held in memory are given up; recording goes on in a new file as soon "
              "as one can be written")))
      << told.toStdString();
  EXPECT_TRUE(told.contains(QString::fromStdString(
      first + ": 4 records could not be written and are lost; recording goes on in " +
      form->Cycle().Recording().HistoryDataPath())))
      << told.toStdString();
}

TEST_F(CycleRecordingTest, RecordsStillHeldWhenThePeriodEndsAreTriedOnceMoreThenReportedLost) {
  AddMeter("Boiler", {"T1"}, 1);
  RefuseWrites(*form, 2, 100);
  StartRun();
  Ticks(4);
  form->EnterConfigMode();
  Settle();
  EXPECT_EQ(TimedRecords(form->Cycle().Recording().HistoryDataPath()).size(), 1u);
  EXPECT_TRUE(errorBoxes.join('\n').contains("3 records could not be written and are lost"))
      << errorBoxes.join('\n').toStdString();
}

TEST_F(CycleRecordingTest, RecordsLostWhenTheWindowClosesAreToldBeforeItGoes) {
  AddMeter("Boiler", {"T1"}, 1);
  RefuseWrites(*form, 2, 100);
  StartRun();
  Ticks(3);
  errorBoxes.clear();
  form->close();  // no event loop runs after this: the program may be ending
  EXPECT_TRUE(errorBoxes.join('\n').contains("2 records could not be written and are lost"))
      << errorBoxes.join('\n').toStdString();
}

// ---- History schedule --------------------------------------------------------------------------

TEST_F(CycleRecordingTest, IntervalFiveRecordsAtTheFirstTickThenStrictlyAfterEachInterval) {
  AddMeter("Boiler", {"T1"}, 5);
  StartRun();
  for (int tick = 1; tick <= 12; ++tick) TickNumbered(tick);
  // Start + 1 s, then the first ticks strictly after + 5 s and + 10 s.
  EXPECT_EQ(Recorded(), (std::vector<float>{1, 6, 11}));
  EXPECT_EQ(DateTimeToMs(form->Cycle().Recording().NextRecordTime()), DateTimeToMs(kCycleStart) + 15000);
}

TEST_F(CycleRecordingTest, AfterAStallEachTickWritesOneRecordUntilTheScheduleCaughtUp) {
  AddMeter("Boiler", {"T1"}, 5);
  StartRun();
  TickNumbered(1);          // record 0, next + 5 s
  TickNumbered(2, 29);      // + 30 s after a stall: next + 10 s
  for (int tick = 3; tick <= 9; ++tick) TickNumbered(tick);  // + 31 .. + 37 s
  // Records at + 30 .. + 36 s catch up with + 10 .. + 35; + 37 s is not past + 40 s.
  EXPECT_EQ(Recorded(), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(DateTimeToMs(form->Cycle().Recording().NextRecordTime()), DateTimeToMs(kCycleStart) + 40000);
}

TEST_F(CycleRecordingTest, IntervalZeroKeepsTheHeaderOnly) {
  AddMeter("Boiler", {"T1"}, 0);
  AddMeter("Pump", {"P"}, 1);
  StartRun();
  Ticks(5);
  EXPECT_EQ(form->Cycle().Recording().HistoryInterval(), 0);
  EXPECT_EQ(fs::file_size(form->Cycle().Recording().HistoryDataPath()), 460824u);
}

TEST_F(CycleRecordingTest, ANegativeIntervalOfMeterZeroCountsAsZero) {
  AddMeter("Boiler", {"T1"}, -5);
  StartRun();
  Ticks(5);
  EXPECT_EQ(form->Cycle().Recording().HistoryInterval(), 0);
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(form->Cycle().Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.IntervalSeconds(), 0);
  EXPECT_EQ(reader.RecordCount(), 0);
}

TEST_F(CycleRecordingTest, RecordsHoldEveryChannelOfTheTickAlsoWhileAMeterIsOffline) {
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
  EXPECT_EQ(fs::file_size(form->Cycle().Recording().HistoryDataPath()), 460824u + 12u);
}

}  // namespace
