#include <gtest/gtest.h>

#include <QPainter>

#include <string>

#include "platform/gui/StringGrid.h"
#include "tests/app/CycleTestSupport.h"

namespace {

constexpr int kLine = 150;
constexpr int kNoTextRows = 1000000;  // record interval that keeps text rows out of the way
const char* const kFirstTick = "19-12-03 14:05:09";

// A line of the alarm list file: each text at its field's offset, its separator right after it.
std::string Line(const std::string& meter, const std::string& channel, const std::string& kind,
                 const std::string& start, const std::string& end = "") {
  std::string line(kLine, '\0');
  const std::string texts[] = {meter, channel, kind, start, end};
  const int offsets[] = {0, 40, 80, 90, 120};
  for (int col = 0; col < 5; ++col) {
    line.replace(offsets[col], texts[col].size(), texts[col]);
    line[offsets[col] + texts[col].size()] = col < 4 ? '\t' : '\n';
  }
  return line;
}

class AlarmRecordsTest : public CycleTest {
 protected:
  TMeterRecord& Boiler() {
    TMeterRecord& meter = AddMeter("Boiler", {"T1", "T2"}, kNoTextRows);
    StartRun();
    return meter;
  }
  std::string AlarmFile() const {
    return ReadFileBytes(form->Cycle().Recording().AlarmListPath());
  }
  std::string FileLine(int row) const {
    return AlarmFile().substr(static_cast<std::size_t>(row) * kLine, kLine);
  }
  int FileLines() const { return static_cast<int>(AlarmFile().size() / kLine); }
  QString Cell(int col, int row) const { return form->strgGrid_AlarmRecList->Cells(col, row); }
  int GridRows() const { return form->strgGrid_AlarmRecList->RowCount(); }
};

// The rules of the records are the cycle's (supervision_tests); here the alarm grid shows them.
TEST_F(AlarmRecordsTest, ARowOpensAndClosesAsItsLineByteForByte) {
  TMeterRecord& meter = Boiler();
  meter.LAFlags[0] = 1;
  Tick();
  ASSERT_EQ(GridRows(), 2);
  EXPECT_EQ(Cell(0, 1), "Boiler");
  EXPECT_EQ(Cell(1, 1), "T1");
  EXPECT_EQ(Cell(2, 1), "LA");
  EXPECT_EQ(Cell(3, 1), kFirstTick);
  EXPECT_EQ(Cell(4, 1), "");
  EXPECT_EQ(FileLine(1), Line("Boiler", "T1", "LA", kFirstTick));
  EXPECT_EQ(form->Cycle().Records().OpenRow(0, 1, 0), 1);

  Tick();  // still set: the row stays open, nothing is written
  EXPECT_EQ(GridRows(), 2);
  meter.LAFlags[0] = 0;
  Tick();
  EXPECT_EQ(Cell(4, 1), "19-12-03 14:05:11");
  EXPECT_EQ(FileLine(1), Line("Boiler", "T1", "LA", kFirstTick, "19-12-03 14:05:11"));
  EXPECT_EQ(form->Cycle().Records().OpenRow(0, 1, 0), 0);
  EXPECT_EQ(FileLines(), 2);
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
