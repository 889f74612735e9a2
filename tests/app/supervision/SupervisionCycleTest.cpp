#include "station/app/supervision/SupervisionCycle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "platform/Errors.h"
#include "tests/app/supervision/CycleFixture.h"

namespace {

namespace fs = std::filesystem;
using Step = SupervisionCycle::CycleStep;

const char* const kPmFolder = "19Y12M/03DPM/";

using SupervisionCycleTest = CycleFixture;

// ---- Order and clock -------------------------------------------------------------------------

TEST_F(SupervisionCycleTest, StepsRunChannelByChannelThenTheMetersRowThenAlarmAndHistory) {
  AddMeter("A", {"1", "2"}, 1);
  AddMeter("B", {"1"}, 2);  // no row in the first tick
  AddMeter("C", {"1"}, 0);
  StartRun();
  std::vector<std::pair<Step, int>> steps;
  cycle.SetCycleProbe([&](Step step, int index) { steps.emplace_back(step, index); });
  Tick();
  const std::vector<std::pair<Step, int>> expected = {
      {Step::Trend, 0}, {Step::Tile, 0}, {Step::AlarmRecords, 0},
      {Step::Trend, 1}, {Step::Tile, 1}, {Step::AlarmRecords, 1},
      {Step::MeterRow, 0},
      {Step::Trend, 2}, {Step::Tile, 2}, {Step::AlarmRecords, 2},
      {Step::Trend, 3}, {Step::Tile, 3}, {Step::AlarmRecords, 3},
      {Step::MeterRow, 2},
      {Step::Alarm, 0}, {Step::History, 0}};
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(view.Clock, "Time : 19-12-03 14:05:09    ");
}

TEST_F(SupervisionCycleTest, EveryChannelGetsItsTrendPointWithTheTicksTimeAndValue) {
  AddMeter("A", {"1", "2"}).Values[1] = 2.5f;
  AddMeter("B", {"1"}).Values[0] = -1.0f;
  StartRun();
  Tick();
  ASSERT_EQ(view.Trend.size(), 3u);
  for (int series = 0; series < 3; ++series) {
    EXPECT_EQ(view.Trend[series].Series, series);
    EXPECT_EQ(view.Trend[series].Label, "19-12-03 14:05:09");
  }
  EXPECT_EQ(view.Trend[1].Value, 2.5);
  EXPECT_EQ(view.Trend[2].Value, -1.0);
  EXPECT_EQ(view.TileShows, 1);  // once, after the channel steps
}

TEST_F(SupervisionCycleTest, WithNoMetersATickShowsTheClockAndWritesNothing) {
  Meter(0).RecordInterval = 1;  // a free slot: its interval is still the period's
  StartRun();
  Ticks(3);
  EXPECT_EQ(view.Clock, "Time : 19-12-03 14:05:11    ");
  EXPECT_EQ(fs::file_size(Recording().HistoryDataPath()), 460824u);
  EXPECT_FALSE(fs::exists(dir.File("19Y12M/03DPM")));
  EXPECT_EQ(cycle.AlarmActive(), 0);
  EXPECT_EQ(view.Hides, 3);  // the reset branch of the alarm step
}

TEST_F(SupervisionCycleTest, ATickArrivingWhileOneRunsIsSkipped) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  int nested = 0;
  cycle.SetCycleProbe([&](Step step, int) {
    if (step != Step::Alarm || nested++ > 0) return;
    clock.AdvanceSeconds(1);
    cycle.RunTick(Now(), Table(), view, reports);  // a nested event loop delivering the next tick
  });
  Tick();
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(view.Clock, "Time : 19-12-03 14:05:09    ");
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Boiler_0.xls"), 1);
}

TEST_F(SupervisionCycleTest, AlarmActiveFollowsTheAlarmsOfOnlineMetersInEachTick) {
  TMeterRecord& meter = AddMeter("Boiler", {"T1"});
  StartRun();
  meter.Online = 0;
  meter.HHAFlags[0] = 1;
  Tick();
  EXPECT_EQ(cycle.AlarmActive(), 0);
  meter.Online = 1;
  Tick();
  EXPECT_EQ(cycle.AlarmActive(), 1);
  meter.HHAFlags[0] = 0;
  Tick();
  EXPECT_EQ(cycle.AlarmActive(), 0);  // cleared at the start of every tick
}

// ---- Isolated steps and their reports -------------------------------------------------------

TEST_F(SupervisionCycleTest, AStepThatRaisesStillLetsTheTickRecordAndIsReportedOnce) {
  AddMeter("Boiler", {"T1", "T2"}, 1).Values[1] = 4.0f;
  StartRun();
  bool failing = true;
  cycle.SetCycleProbe([&](Step step, int index) {
    if (failing && step == Step::Tile && index == 0) throw std::runtime_error("bad value");
  });
  Tick();
  EXPECT_EQ(reports, Reports{"bad value"});
  Ticks(4);
  EXPECT_EQ(reports.size(), 1u);

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.RecordCount(), 5);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Boiler_0.xls"), 5);
  EXPECT_EQ(cycle.Tiles().Tile(1).ValueText, "4");  // the other channel's tile

  failing = false;
  Tick();
  failing = true;
  Tick();
  EXPECT_EQ(reports, (Reports{"bad value", "bad value"}));
}

TEST_F(SupervisionCycleTest, EachFailingStepIsReportedAndTheOthersGoOn) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  cycle.SetCycleProbe([&](Step step, int) {
    if (step == Step::Alarm) throw EConvertError("'x' is not a valid integer value");
    if (step == Step::MeterRow) throw std::runtime_error("row");
  });
  Ticks(2);
  EXPECT_EQ(ReportText(), "row\n'x' is not a valid integer value");
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.RecordCount(), 2);
}

TEST_F(SupervisionCycleTest, AnErrorThatIsNotAnErrorObjectIsReportedWithoutText) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  cycle.SetCycleProbe([&](Step step, int) {
    if (step == Step::Trend) throw 42;
  });
  Ticks(2);
  EXPECT_EQ(reports, Reports{""});
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Boiler_0.xls"), 2);
}

// ---- Row counters ----------------------------------------------------------------------------

TEST_F(SupervisionCycleTest, IntervalZeroOrOneOrNegativeWritesARowEveryTick) {
  AddMeter("Zero", {"a"}, 0);
  AddMeter("One", {"a"}, 1);
  AddMeter("Negative", {"a"}, -3);
  AddMeter("Three", {"a"}, 3);
  StartRun();
  Ticks(7);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Zero_0.xls"), 7);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "One_1.xls"), 7);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Negative_2.xls"), 7);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Three_3.xls"), 2);  // ticks 3 and 6
  EXPECT_EQ(cycle.MeterRowSeconds(3), 1);
}

TEST_F(SupervisionCycleTest, ALoweredIntervalBelowTheCounterGivesARowAtTheNextTick) {
  AddMeter("Slow", {"a"}, 10);
  StartRun();
  Ticks(5);
  EXPECT_EQ(cycle.MeterRowSeconds(0), 5);
  Meter(0).RecordInterval = 2;  // changed in configuration mode
  Tick();
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Slow_0.xls"), 1);
  EXPECT_EQ(cycle.MeterRowSeconds(0), 0);
}

TEST_F(SupervisionCycleTest, CountersBelongToTablePositionsAcrossADeleteAndAPeriod) {
  AddMeter("A", {"a"}, 4);
  AddMeter("B", {"a"}, 4);
  StartRun();
  Ticks(2);
  AddMeter("C", {"a"}, 4);  // C's own count (position 2: 0) differs from that of position 1
  // Meter B at position 1 is deleted: C moves to position 1 and inherits its counter (2).
  Table().Meters[1] = Table().Meters[2];
  Table().MeterCount = 2;
  cycle.OpenRecordingFiles(Table(), view, reports);  // a new period does not reset the counters
  Ticks(2);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "A_0.xls"), 1);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "C_1.xls"), 1);
  EXPECT_FALSE(fs::exists(dir.File(std::string(kPmFolder) + "C_2.xls")));
}

// ---- Text files through the cycle -------------------------------------------------------------

TEST_F(SupervisionCycleTest, TextFileOfTheExampleByteForByte) {
  TMeterRecord& boiler = AddMeter("Boiler", {"T1", "T2"}, 1);
  boiler.Values[0] = 12.5f;
  boiler.Values[1] = 3.0f;
  StartRun();
  Tick();  // 14:05:09
  boiler.RecordInterval = 10;
  const std::string header = "\xCA\xB1\xBC\xE4\tT1\tT2\t\n";  // "时间" in code page 936
  EXPECT_EQ(TextFile("19Y12M/03DPM/Boiler_0.xls"), header + "  14:05:09\t12.5\t3\t\n");
  boiler.Online = 0;
  Ticks(10);  // 14:05:19
  EXPECT_EQ(TextFile("19Y12M/03DPM/Boiler_0.xls"),
            header + "  14:05:09\t12.5\t3\t\n" + "  14:05:19\tERR\tERR\t\n");
}

TEST_F(SupervisionCycleTest, EveryMeterWritesItsOwnFileInsideTheHalfDayFolder) {
  AddMeter("Boiler", {"T1"}, 1).Values[0] = 1.0f;
  AddMeter("Boiler", {"T1"}, 1).Values[0] = 2.0f;
  AddMeter("../../x", {"T1"}, 1);
  StartRun();
  Tick();
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir.File("19Y12M"))) {
    names.push_back(fs::relative(entry.path(), dir.Path()).string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{
                       "19Y12M/03D14H05M08S.vq", "19Y12M/03D14H05M08S.xls", "19Y12M/03DPM",
                       "19Y12M/03DPM/.._.._x_2.xls", "19Y12M/03DPM/Boiler_0.xls",
                       "19Y12M/03DPM/Boiler_1.xls"}));
  EXPECT_NE(TextFile("19Y12M/03DPM/Boiler_1.xls").find("\t2\t\n"), std::string::npos);
}

TEST_F(SupervisionCycleTest, AnUnwritableTextFileIsReportedOnceNotEverySecond) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  fs::create_directories(dir.File("19Y12M/03DPM/Boiler_0.xls"));  // a folder in its place
  Ticks(5);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("Boiler_0.xls"), std::string::npos) << reports[0];
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.RecordCount(), 5);
}

}  // namespace
