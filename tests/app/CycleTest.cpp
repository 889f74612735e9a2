#include <gtest/gtest.h>

#include <QTimer>

#include <stdexcept>

#include "common/Errors.h"
#include "tests/app/CycleTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Step = SupervisionCycle::CycleStep;

const char* const kPmFolder = "19Y12M/03DPM/";

// ---- Order and clock -------------------------------------------------------------------------

TEST_F(CycleTest, TicksAreHeldBackUntilStartUpHasFinished) {
  AddMeter("Boiler", {"T1"});
  form->BuildOverviewTiles();
  form->OpenRecordingFiles();
  const QString designClock = form->lab_SysTime->text();
  Ticks(3);
  EXPECT_EQ(form->lab_SysTime->text(), designClock);
  EXPECT_EQ(form->Cycle().MeterRowSeconds(0), 0);
  EXPECT_FALSE(fs::exists(dir.File("19Y12M/03DPM")));

  form->StartupFinished();
  Tick();
  EXPECT_EQ(ClockText(), "Time : 19-12-03 14:05:12    ");
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Boiler_0.xls"), 1);
}

TEST_F(CycleTest, TheTimerDrivesTheTick) {
  StartRun();
  form->timer_PerSecond->start(1);
  EXPECT_TRUE(WaitUntil([&] {
    QCoreApplication::processEvents();
    return ClockText() == "Time : 19-12-03 14:05:08    ";
  }));
  form->timer_PerSecond->stop();
}

TEST_F(CycleTest, StepsRunChannelByChannelThenTheMetersRowThenAlarmAndHistory) {
  AddMeter("A", {"1", "2"}, 1);
  AddMeter("B", {"1"}, 2);  // no row in the first tick
  AddMeter("C", {"1"}, 0);
  StartRun();
  std::vector<std::pair<Step, int>> steps;
  form->Cycle().SetCycleProbe([&](Step step, int index) { steps.emplace_back(step, index); });
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
  EXPECT_EQ(ClockText(), "Time : 19-12-03 14:05:09    ");
}

TEST_F(CycleTest, WithNoMetersATickShowsTheClockAndWritesNothing) {
  Meter(0).RecordInterval = 1;  // a free slot: its interval is still the period's
  StartRun();
  Ticks(3);
  EXPECT_EQ(ClockText(), "Time : 19-12-03 14:05:11    ");
  EXPECT_EQ(fs::file_size(form->Cycle().Recording().HistoryDataPath()), 460824u);
  EXPECT_FALSE(fs::exists(dir.File("19Y12M/03DPM")));
  EXPECT_EQ(form->Cycle().AlarmActive(), 0);
}

TEST_F(CycleTest, ATickArrivingWhileOneRunsIsSkipped) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  int nested = 0;
  form->Cycle().SetCycleProbe([&](Step step, int) {
    if (step != Step::Alarm || nested++ > 0) return;
    clock.AdvanceSeconds(1);
    form->timer_PerSecondTimer();  // a nested event loop delivering the next tick
  });
  Tick();
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(ClockText(), "Time : 19-12-03 14:05:09    ");
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Boiler_0.xls"), 1);
}

// ---- Isolated steps and their reports -------------------------------------------------------

TEST_F(CycleTest, AStepThatRaisesStillLetsTheTickRecordAndIsReportedOnce) {
  AddMeter("Boiler", {"T1", "T2"}, 1).Values[1] = 4.0f;
  StartRun();
  bool failing = true;
  form->Cycle().SetCycleProbe([&](Step step, int index) {
    if (failing && step == Step::Tile && index == 0) throw std::runtime_error("bad value");
  });
  Tick();
  EXPECT_TRUE(errorBoxes.isEmpty());  // never a modal box inside the tick
  Settle();
  EXPECT_EQ(errorBoxes, QStringList{"bad value"});
  Ticks(4);
  Settle();
  EXPECT_EQ(errorBoxes.size(), 1);

  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(form->Cycle().Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.RecordCount(), 5);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Boiler_0.xls"), 5);
  EXPECT_EQ(form->Cycle().Tiles().Tile(1).ValueText, "4");  // the other channel's tile

  failing = false;
  Tick();
  failing = true;
  Tick();
  Settle();
  EXPECT_EQ(errorBoxes, (QStringList{"bad value", "bad value"}));
}

TEST_F(CycleTest, EachFailingStepIsReportedAndTheOthersGoOn) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  form->Cycle().SetCycleProbe([&](Step step, int) {
    if (step == Step::Alarm) throw EConvertError("'x' is not a valid integer value");
    if (step == Step::MeterRow) throw std::runtime_error("row");
  });
  Ticks(2);
  Settle();
  EXPECT_EQ(errorBoxes, QStringList{"row\n'x' is not a valid integer value"});
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(form->Cycle().Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.RecordCount(), 2);
}

// ---- Row counters ----------------------------------------------------------------------------

TEST_F(CycleTest, IntervalZeroOrOneOrNegativeWritesARowEveryTick) {
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
  EXPECT_EQ(form->Cycle().MeterRowSeconds(3), 1);
}

TEST_F(CycleTest, ALoweredIntervalBelowTheCounterGivesARowAtTheNextTick) {
  AddMeter("Slow", {"a"}, 10);
  StartRun();
  Ticks(5);
  EXPECT_EQ(form->Cycle().MeterRowSeconds(0), 5);
  Meter(0).RecordInterval = 2;  // changed in configuration mode
  Tick();
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "Slow_0.xls"), 1);
  EXPECT_EQ(form->Cycle().MeterRowSeconds(0), 0);
}

TEST_F(CycleTest, CountersBelongToTablePositionsAcrossADeleteAndAPeriod) {
  AddMeter("A", {"a"}, 4);
  AddMeter("B", {"a"}, 4);
  StartRun();
  Ticks(2);
  AddMeter("C", {"a"}, 4);  // C's own count (position 2: 0) differs from that of position 1
  // Meter B at position 1 is deleted: C moves to position 1 and inherits its counter (2).
  Table().Meters[1] = Table().Meters[2];
  Table().MeterCount = 2;
  form->OpenRecordingFiles();  // a new period does not reset the counters
  Ticks(2);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "A_0.xls"), 1);
  EXPECT_EQ(RowsIn(std::string(kPmFolder) + "C_1.xls"), 1);
  EXPECT_FALSE(fs::exists(dir.File(std::string(kPmFolder) + "C_2.xls")));
}

// ---- Text files through the cycle -------------------------------------------------------------

TEST_F(CycleTest, TextFileOfTheExampleByteForByte) {
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

TEST_F(CycleTest, EveryMeterWritesItsOwnFileInsideTheHalfDayFolder) {
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

TEST_F(CycleTest, AnUnwritableTextFileIsReportedOnceNotEverySecond) {
  AddMeter("Boiler", {"T1"}, 1);
  StartRun();
  fs::create_directories(dir.File("19Y12M/03DPM/Boiler_0.xls"));  // a folder in its place
  Ticks(5);
  Settle();
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].contains("Boiler_0.xls")) << errorBoxes[0].toStdString();
  HistoryFileReader reader;
  ASSERT_TRUE(reader.Open(form->Cycle().Recording().HistoryDataPath()).ok());
  EXPECT_EQ(reader.RecordCount(), 5);
}

}  // namespace
