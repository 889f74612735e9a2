// The alarm records through the cycle: rows opened and closed by the alarm flags, each mirrored
// into the alarm list file at its line.

#include "station/app/supervision/AlarmRecords.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/app/supervision/CycleFixture.h"

namespace {

constexpr int kLine = kAlarmFileLineBytes;
const char* const kFirstTick = "19-12-03 14:05:09";
const char* const kSecondTick = "19-12-03 14:05:10";

class AlarmRecordRowsTest : public CycleFixture {
 protected:
  TMeterRecord& Boiler() {
    TMeterRecord& meter = AddMeter("Boiler", {"T1", "T2"}, kNoTextRows);
    StartRun();
    return meter;
  }
  std::string FileLine(int row) const {
    return AlarmFileLineAt(cycle.Records().AlarmListPath(), row);
  }
  int FileLines() const { return AlarmFileLineCount(cycle.Records().AlarmListPath()); }
  // The records' rows, and the grid as the view shows them: always the same.
  std::string Cell(int col, int row) const {
    EXPECT_EQ(view.Grid.at(row)[col], cycle.Records().Row(row)[col]);
    return cycle.Records().Row(row)[col];
  }
  int GridRows() const {
    EXPECT_EQ(static_cast<int>(view.Grid.size()), cycle.Records().RowCount());
    return cycle.Records().RowCount();
  }
};

TEST_F(AlarmRecordRowsTest, ARowOpensAndClosesAsItsLineByteForByte) {
  TMeterRecord& meter = Boiler();
  meter.LAFlags[0] = 1;
  Tick();
  ASSERT_EQ(GridRows(), 2);
  EXPECT_EQ(Cell(0, 1), "Boiler");
  EXPECT_EQ(Cell(1, 1), "T1");
  EXPECT_EQ(Cell(2, 1), "LA");
  EXPECT_EQ(Cell(3, 1), kFirstTick);
  EXPECT_EQ(Cell(4, 1), "");
  EXPECT_EQ(FileLine(1), AlarmFileLine("Boiler", "T1", "LA", kFirstTick));
  EXPECT_EQ(cycle.Records().OpenRow(0, 1, 0), 1);

  Tick();  // still set: the row stays open, nothing is written
  EXPECT_EQ(GridRows(), 2);
  meter.LAFlags[0] = 0;
  Tick();
  EXPECT_EQ(Cell(4, 1), "19-12-03 14:05:11");
  EXPECT_EQ(FileLine(1), AlarmFileLine("Boiler", "T1", "LA", kFirstTick, "19-12-03 14:05:11"));
  EXPECT_EQ(cycle.Records().OpenRow(0, 1, 0), 0);
  EXPECT_EQ(FileLines(), 2);
}

TEST_F(AlarmRecordRowsTest, HighAndHighHighInOneTickOpenTwoConsecutiveRowsInKindOrder) {
  TMeterRecord& meter = Boiler();
  meter.HHAFlags[1] = 1;
  meter.HAFlags[1] = 1;
  Tick();
  ASSERT_EQ(FileLines(), 3);
  EXPECT_EQ(FileLine(1), AlarmFileLine("Boiler", "T2", "HA", kFirstTick));
  EXPECT_EQ(FileLine(2), AlarmFileLine("Boiler", "T2", "HHA", kFirstTick));
  meter.HHAFlags[1] = 0;
  Tick();
  EXPECT_EQ(FileLine(1), AlarmFileLine("Boiler", "T2", "HA", kFirstTick));
  EXPECT_EQ(FileLine(2), AlarmFileLine("Boiler", "T2", "HHA", kFirstTick, kSecondTick));
}

TEST_F(AlarmRecordRowsTest, AFlagThatRoseAndFellBetweenTicksLeavesNoRow) {
  TMeterRecord& meter = Boiler();
  Tick();
  meter.LLAFlags[0] = 1;  // a poll sets it ...
  meter.LLAFlags[0] = 0;  // ... and the next clears it before the tick looks
  Tick();
  EXPECT_EQ(GridRows(), 1);
  EXPECT_EQ(FileLines(), 1);
}

TEST_F(AlarmRecordRowsTest, AnOfflineMeterNeitherOpensNorClosesRows) {
  TMeterRecord& meter = Boiler();
  meter.Online = 0;
  meter.HAFlags[0] = 1;
  Ticks(2);
  EXPECT_EQ(GridRows(), 1);

  meter.Online = 1;
  Tick();  // 14:05:11
  ASSERT_EQ(GridRows(), 2);
  meter.Online = 0;
  meter.HAFlags[0] = 0;
  Ticks(2);
  EXPECT_EQ(Cell(4, 1), "");
  meter.Online = 1;
  Tick();  // the first online tick with the flag still down closes the row at its own time
  EXPECT_EQ(FileLine(1), AlarmFileLine("Boiler", "T1", "HA", "19-12-03 14:05:11", "19-12-03 14:05:14"));
}

TEST_F(AlarmRecordRowsTest, RowsOpenAtThePeriodsEndStayOpenInItsFileAndTheNextPeriodStartsAfresh) {
  TMeterRecord& meter = Boiler();
  meter.HAFlags[0] = 1;
  meter.LAFlags[1] = 1;
  Tick();  // rows 1 (HA of T1) and 2 (LA of T2)
  meter.LAFlags[1] = 0;
  Tick();  // row 2 closes
  const std::string firstPath = cycle.Records().AlarmListPath();
  clock.AdvanceSeconds(5);
  // The next run mode: flags cleared, header row alone.
  cycle.OpenRecordingFiles(Table(), view, reports);
  ASSERT_NE(cycle.Records().AlarmListPath(), firstPath);
  EXPECT_EQ(GridRows(), 1);
  meter.LAFlags[1] = 1;
  Tick();  // 14:05:16
  ASSERT_EQ(GridRows(), 2);
  EXPECT_EQ(Cell(2, 1), "LA");
  EXPECT_EQ(Cell(4, 1), "");
  EXPECT_EQ(FileLines(), 2);
  EXPECT_EQ(FileLine(1), AlarmFileLine("Boiler", "T2", "LA", "19-12-03 14:05:16"));
  const std::string first = ReadFileBytes(firstPath);
  ASSERT_EQ(first.size(), 3u * kLine);
  EXPECT_EQ(first.substr(kLine, kLine), AlarmFileLine("Boiler", "T1", "HA", kFirstTick));
  EXPECT_EQ(first.substr(2 * kLine, kLine), AlarmFileLine("Boiler", "T2", "LA", kFirstTick, kSecondTick));
}

TEST_F(AlarmRecordRowsTest, ThousandsOfOccurrencesEachGetTheirOwnRowAndLine) {
  TMeterRecord& meter = Boiler();
  constexpr int kOccurrences = 1500;
  for (int i = 0; i < kOccurrences; ++i) {
    meter.HHAFlags[1] = 1;
    Tick();
    meter.HHAFlags[1] = 0;
    Tick();
  }
  EXPECT_EQ(GridRows(), kOccurrences + 1);
  ASSERT_EQ(FileLines(), kOccurrences + 1);
  // The last occurrence opened in tick 2999 (14:55:07) and closed in tick 3000.
  EXPECT_EQ(FileLine(kOccurrences),
            AlarmFileLine("Boiler", "T2", "HHA", "19-12-03 14:55:07", "19-12-03 14:55:08"));
}

}  // namespace
