#include <gtest/gtest.h>

#include "platform/gui/StringGrid.h"
#include "tests/app/CycleTestSupport.h"

namespace {

namespace fs = std::filesystem;

using CycleRecordingTest = CycleTest;

// ---- Recording periods on the window ---------------------------------------------------------
// The periods' rules are the cycle's (supervision_tests); here the alarm grid shows the reset,
// and the problems of opening and closing a period reach the error box.

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
  TMeterRecord& boiler = AddMeter("Boiler", {"T1"});
  StartRun();
  boiler.LAFlags[0] = 1;
  boiler.HAFlags[0] = 1;
  Tick();  // rows 1 (LA) and 2 (HA) open at 14:05:09
  Ticks(2);
  boiler.HAFlags[0] = 0;
  Tick();  // row 2 closes at 14:05:12
  TStringGrid& grid = *form->strgGrid_AlarmRecList;
  ASSERT_EQ(grid.RowCount(), 3);
  const AlarmRowTexts row2 = {"Boiler", "T1", "HA", "19-12-03 14:05:09", "19-12-03 14:05:12"};
  for (int col = 0; col < 5; ++col) {
    EXPECT_EQ(grid.Cells(col, 2), QString::fromUtf8(row2[col].data(), row2[col].size()));
  }
  // The file back to its header line alone: what follows is WriteAlarmRow's own writing.
  const std::string path = form->Cycle().Records().AlarmListPath();
  fs::resize_file(path, 150);
  form->WriteAlarmRow(2);
  const std::string file = ReadFileBytes(path);
  ASSERT_EQ(file.size(), 450u);
  const AlarmLine line = BuildAlarmLine(row2);
  EXPECT_EQ(file.substr(300), std::string(line.begin(), line.end()));
  EXPECT_EQ(file.substr(150, 150), std::string(150, '\0'));
}

TEST_F(CycleRecordingTest, AFolderThatCannotBeMadeIsShownAfterTheHandler) {
  AddMeter("Boiler", {"T1"}, 1);
  std::ofstream(dir.File("19Y12M")) << "a file where the month folder belongs";
  StartRun();
  EXPECT_TRUE(errorBoxes.isEmpty());  // shown after the handler, not inside it
  Settle();
  ASSERT_EQ(errorBoxes.size(), 1);
  EXPECT_TRUE(errorBoxes[0].contains("19Y12M")) << errorBoxes[0].toStdString();
  EXPECT_TRUE(form->Cycle().Recording().HistoryDataPath().empty());
}

// ---- A disk that refuses records for a while ------------------------------------------------

TEST_F(CycleRecordingTest, RecordsStillHeldWhenThePeriodEndsAreTriedOnceMoreThenReportedLost) {
  AddMeter("Boiler", {"T1"}, 1);
  form->Cycle().Recording().SetHistorySink(RefusingHistorySink(2, 100));
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
  form->Cycle().Recording().SetHistorySink(RefusingHistorySink(2, 100));
  StartRun();
  Ticks(3);
  errorBoxes.clear();
  form->close();  // no event loop runs after this: the program may be ending
  EXPECT_TRUE(errorBoxes.join('\n').contains("2 records could not be written and are lost"))
      << errorBoxes.join('\n').toStdString();
}

}  // namespace
