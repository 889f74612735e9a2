#include <gtest/gtest.h>

#include <QPainter>

#include <string>

#include "common/FixedText.h"
#include "platform/gui/StringGrid.h"
#include "tests/app/CycleTestSupport.h"

namespace {

const char* const kFirstTick = "19-12-03 14:05:09";

class AlarmRecordsTest : public CycleTest {
 protected:
  TMeterRecord& Boiler() {
    TMeterRecord& meter = AddMeter("Boiler", {"T1", "T2"}, kNoTextRows);
    StartRun();
    return meter;
  }
  std::string AlarmListPath() const { return form->Cycle().Records().AlarmListPath(); }
  std::string FileLine(int row) const { return AlarmFileLineAt(AlarmListPath(), row); }
  int FileLines() const { return AlarmFileLineCount(AlarmListPath()); }
  QString Cell(int col, int row) const { return form->strgGrid_AlarmRecList->Cells(col, row); }
  int GridRows() const { return form->strgGrid_AlarmRecList->RowCount(); }
};

// The rules of the records are the cycle's (supervision_tests); here the alarm grid shows them.
TEST_F(AlarmRecordsTest, TheGridShowsEachRowAsItOpensAndCloses) {
  TMeterRecord& meter = Boiler();
  meter.LAFlags[0] = 1;
  meter.HHAFlags[1] = 1;
  Tick();
  ASSERT_EQ(GridRows(), 3);
  const QStringList opened = {"Boiler", "T1", "LA", kFirstTick, ""};
  for (int col = 0; col < 5; ++col) EXPECT_EQ(Cell(col, 1), opened[col]) << col;
  EXPECT_EQ(Cell(2, 2), "HHA");
  meter.LAFlags[0] = 0;
  Tick();
  EXPECT_EQ(Cell(4, 1), "19-12-03 14:05:10");
  EXPECT_EQ(Cell(4, 2), "");
  // The file mirrors the grid.
  EXPECT_EQ(FileLine(1), AlarmFileLine("Boiler", "T1", "LA", kFirstTick, "19-12-03 14:05:10"));
  EXPECT_EQ(FileLines(), 3);
}

TEST_F(AlarmRecordsTest, RowsKeepTheNamesTheyOpenedWithWhenTheTableIsEdited) {
  TMeterRecord& meter = Boiler();
  meter.LAFlags[0] = 1;
  Tick();
  // A name changed while the period runs: the open row keeps its names, a new row takes the new.
  WriteFixedText(meter.Channels[0].Name, "Inlet");
  meter.HAFlags[0] = 1;
  Tick();
  ASSERT_EQ(GridRows(), 3);
  EXPECT_EQ(Cell(1, 1), "T1");
  EXPECT_EQ(Cell(1, 2), "Inlet");
  meter.LAFlags[0] = 0;
  Tick();
  EXPECT_EQ(FileLine(1), AlarmFileLine("Boiler", "T1", "LA", kFirstTick, "19-12-03 14:05:11"));
  // The period's rows stay in the grid through configuration mode and its edits.
  form->EnterConfigMode();
  WriteFixedText(meter.Name, "Renamed");
  EXPECT_EQ(Cell(0, 1), "Boiler");
  EXPECT_EQ(Cell(4, 1), "19-12-03 14:05:11");
  EXPECT_EQ(Cell(1, 2), "Inlet");
  EXPECT_EQ(Cell(4, 2), "");
  EXPECT_EQ(FileLine(2), AlarmFileLine("Boiler", "Inlet", "HA", "19-12-03 14:05:10"));
}

TEST_F(AlarmRecordsTest, CellsAreDrawnCentredInTheirRectangle) {
  TMeterRecord& meter = Boiler();
  meter.LAFlags[0] = 1;
  Tick();
  TStringGrid& grid = *form->strgGrid_AlarmRecList;
  ASSERT_TRUE(grid.OnDrawCell);
  QImage image(200, 18, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setBrush(Qt::white);
  painter.setPen(Qt::black);
  grid.OnDrawCell(2, 1, QRect(0, 0, 200, 18), painter, TGridDrawState{});
  painter.end();
  // "LA" stands in the middle: ink near the centre, none near either edge.
  auto inkIn = [&](int from, int to) {
    for (int x = from; x < to; ++x) {
      for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) != Qt::white) return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(inkIn(80, 120));
  EXPECT_FALSE(inkIn(0, 60));
  EXPECT_FALSE(inkIn(140, 200));
}

}  // namespace
