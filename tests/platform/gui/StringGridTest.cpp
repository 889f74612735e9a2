#include "platform/gui/StringGrid.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QtTest/QTest>

#include <set>
#include <utility>
#include <vector>

#include "platform/gui/Colors.h"
#include "platform/gui/Cp936Edit.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

struct DrawnCell {
  int col;
  int row;
  QRect rect;
  TGridDrawState state;
  QColor brush;
};

class StringGridTest : public GuiTest {
 protected:
  StringGridTest() {
    grid.SetColCount(4);
    grid.SetFixedCols(0);
    grid.SetRowCount(2);
    grid.SetDefaultRowHeight(20);
    grid.OnClick = [this] { clicks.push_back(grid.Row()); };
    grid.resize(400, 300);
    grid.show();  // lays out the viewport that scrolling depends on
  }

  // Refills the grid as the editors do: back to the header and one empty row, then one row per
  // entry, then the trailing empty row.
  void Refill(int entries) {
    grid.SetRowCount(2);
    for (int i = 0; i < entries; ++i) {
      grid.SetCells(1, i + 1, QString("meter %1").arg(i));
      grid.SetRowCount(grid.RowCount() + 1);
    }
  }

  // Paints the grid once and returns the cells its drawing handler was asked for.
  std::vector<DrawnCell> Paint() {
    std::vector<DrawnCell> drawn;
    grid.OnDrawCell = [&drawn](int col, int row, const QRect& rect, QPainter& painter,
                               const TGridDrawState& state) {
      drawn.push_back({col, row, rect, state, painter.brush().color()});
      painter.fillRect(rect, painter.brush());
    };
    Render();
    grid.OnDrawCell = nullptr;
    EXPECT_FALSE(drawn.empty());
    return drawn;
  }

  void Render() {
    QImage image(grid.size(), QImage::Format_ARGB32);
    grid.render(&image);
  }

  void ClickCell(int col, int row) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid.CellRect(col, row).center());
  }

  TStringGrid grid;
  std::vector<int> clicks;
};

TEST_F(StringGridTest, HeaderRowIsPartOfTheCellModel) {
  grid.SetCells(0, 0, "Serial");
  grid.SetCells(1, 1, "Boiler");
  EXPECT_EQ(grid.Cells(0, 0), "Serial");
  EXPECT_EQ(grid.Cells(1, 1), "Boiler");
  EXPECT_EQ(grid.Cells(2, 1), "");
  EXPECT_EQ(grid.FixedRows(), 1);
}

TEST_F(StringGridTest, ShrinkingDropsRowsAndGrowingAddsEmptyOnes) {
  grid.SetRowCount(4);
  grid.SetCells(1, 3, "old");
  grid.SetCells(3, 1, "kept");
  grid.SetRowCount(2);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.Cells(1, 3), "");
  grid.SetRowCount(4);
  EXPECT_EQ(grid.Cells(1, 3), "");
  EXPECT_EQ(grid.Cells(3, 1), "kept");
  grid.SetColCount(3);
  grid.SetColCount(4);
  EXPECT_EQ(grid.Cells(3, 1), "");
}

TEST_F(StringGridTest, CellIndexesOutsideTheGridAreRefusedNotStored) {
  EXPECT_THROW(grid.SetCells(4, 1, "x"), std::exception);
  EXPECT_THROW(grid.SetCells(0, 2, "x"), std::exception);
  EXPECT_THROW(grid.SetCells(-1, 0, "x"), std::exception);
  EXPECT_EQ(grid.Cells(4, 1), "");
  EXPECT_EQ(grid.Cells(0, -5), "");
  EXPECT_EQ(grid.Cells(0, 99), "");
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Cells(0, 2), "");
}

TEST_F(StringGridTest, SelectingAnotherRowFromCodeRunsOnClickOnce) {
  Refill(3);
  clicks.clear();
  grid.SetRow(3);
  EXPECT_EQ(clicks, std::vector<int>{3});
  grid.SetRow(3);
  EXPECT_EQ(clicks, std::vector<int>{3});
  grid.SetRow(1);
  EXPECT_EQ(clicks, (std::vector<int>{3, 1}));
}

TEST_F(StringGridTest, RefillMovesTheSelectionToRowOneSilently) {
  Refill(5);
  grid.SetRow(4);
  clicks.clear();
  Refill(5);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_TRUE(clicks.empty());
  // The editors then select the row again; that one runs OnClick.
  grid.SetRow(4);
  EXPECT_EQ(clicks, std::vector<int>{4});
}

TEST_F(StringGridTest, FixedOrMissingRowsCannotBeSelected) {
  Refill(2);
  grid.SetRow(2);
  clicks.clear();
  EXPECT_THROW(grid.SetRow(0), std::exception);
  EXPECT_THROW(grid.SetRow(4), std::exception);
  EXPECT_EQ(grid.Row(), 2);
  grid.show();
  ClickCell(1, 0);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_TRUE(clicks.empty());
}

TEST_F(StringGridTest, ClickOnACellSelectsItsRowAndAlwaysRunsOnClick) {
  Refill(3);
  grid.show();
  clicks.clear();
  ClickCell(2, 3);
  ClickCell(2, 3);
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.Col(), 2);
  EXPECT_EQ(clicks, (std::vector<int>{3, 3}));
}

TEST_F(StringGridTest, KeyboardMovesRunOnClickOnlyWhenTheRowChanges) {
  Refill(2);
  grid.show();
  grid.setFocus();
  clicks.clear();
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::keyClick(&grid, Qt::Key_Down);  // already on the last row
  QTest::keyClick(&grid, Qt::Key_Up);
  EXPECT_EQ(clicks, (std::vector<int>{2, 3, 2}));
}

TEST_F(StringGridTest, RowSelectGridScrollsSidewaysWithoutRunningOnClick) {
  Refill(2);
  grid.SetRowSelect(true);
  // Four columns of 200 pixels: wider than the view.
  for (int col = 0; col < grid.ColCount(); ++col) grid.SetColWidths(col, 200);
  grid.setFocus();
  const int col = grid.Col();
  clicks.clear();
  QTest::keyClick(&grid, Qt::Key_Right);
  EXPECT_GT(grid.horizontalScrollBar()->value(), 0);
  QTest::keyClick(&grid, Qt::Key_End);
  EXPECT_EQ(grid.horizontalScrollBar()->value(), grid.horizontalScrollBar()->maximum());
  QTest::keyClick(&grid, Qt::Key_Home);
  QTest::keyClick(&grid, Qt::Key_Left);
  EXPECT_EQ(grid.horizontalScrollBar()->value(), 0);
  EXPECT_EQ(grid.Col(), col);
  EXPECT_TRUE(clicks.empty()) << "the row did not change";
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(clicks, std::vector<int>{2});
}

TEST_F(StringGridTest, ThrowingOnClickIsReportedAndTheGridGoesOn) {
  Refill(3);
  grid.OnClick = [] { throw std::runtime_error("handler failed"); };
  grid.SetRow(2);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(errorBoxes, QStringList{"handler failed"});
}

TEST_F(StringGridTest, FixedRowStaysInViewWhileRowsScroll) {
  Refill(1000);
  grid.SetCells(0, 0, "header");
  grid.SetRow(500);
  ASSERT_GT(grid.TopRow(), 400);
  const std::vector<DrawnCell> drawn = Paint();
  std::set<int> rows;
  for (const DrawnCell& cell : drawn) rows.insert(cell.row);
  EXPECT_EQ(*rows.begin(), 0);
  EXPECT_TRUE(rows.count(500));
  EXPECT_FALSE(rows.count(1));
  for (const DrawnCell& cell : drawn) {
    if (cell.row == 0) {
      EXPECT_EQ(cell.rect.top(), 0);
      EXPECT_TRUE(cell.state.Fixed);
    }
  }
}

TEST_F(StringGridTest, ThousandsOfRowsPaintOnlyTheRowsInView) {
  grid.SetFixedRows(0);
  grid.SetRowCount(1);
  for (int row = 1; row <= 20000; ++row) {
    grid.SetRowCount(grid.RowCount() + 1);
    grid.SetCells(0, row, QString::number(row));
  }
  grid.SetRow(20000);
  const std::vector<DrawnCell> drawn = Paint();
  const int rowsInView = grid.viewport()->height() / (grid.DefaultRowHeight() + 1) + 1;
  EXPECT_LE(static_cast<int>(drawn.size()), rowsInView * grid.ColCount());
  EXPECT_EQ(drawn.back().row, 20000);
  EXPECT_EQ(grid.Cells(0, 20000), "20000");
}

TEST_F(StringGridTest, ACellSourceFillsEveryCellWithoutATextOfItsOwn) {
  int asked = 0;
  grid.SetCellSource([&asked](int col, int row) {
    ++asked;
    return QString("%1/%2").arg(row).arg(col);
  });
  grid.SetRowCount(100001);
  EXPECT_EQ(grid.Cells(2, 100000), "100000/2");
  grid.SetCells(2, 7, "held");  // a text of its own stands in front of the source's
  EXPECT_EQ(grid.Cells(2, 7), "held");
  grid.SetCells(2, 7, QString());
  EXPECT_EQ(grid.Cells(2, 7), "7/2");
  EXPECT_EQ(grid.Cells(2, 100001), "");  // outside the grid: not asked
  // Only the cells in view are asked for when painted.
  grid.SetRow(100000);
  asked = 0;
  Render();
  const int rowsInView = grid.viewport()->height() / (grid.DefaultRowHeight() + 1) + 2;
  EXPECT_GT(asked, 0);
  EXPECT_LE(asked, rowsInView * grid.ColCount());
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Cells(2, 7), "");
}

TEST_F(StringGridTest, DrawHandlerGetsTheStateColoursOfEachCell) {
  Refill(2);
  grid.SetRowSelect(true);
  grid.SetRow(2);
  for (const DrawnCell& cell : Paint()) {
    if (cell.row == 0) {
      EXPECT_TRUE(cell.state.Fixed);
      EXPECT_EQ(cell.brush, ToQColor(clBtnFace));
    } else if (cell.row == 2) {
      EXPECT_TRUE(cell.state.Selected);
      EXPECT_EQ(cell.brush, ToQColor(clHighlight));
    } else {
      EXPECT_FALSE(cell.state.Selected);
      EXPECT_EQ(cell.brush, ToQColor(clWindow));
    }
  }
}

TEST_F(StringGridTest, ThrowingDrawHandlerIsReportedOnceAndReplaced) {
  Refill(2);
  int calls = 0;
  grid.OnDrawCell = [&calls](int, int, const QRect&, QPainter&, const TGridDrawState&) {
    ++calls;
    throw std::runtime_error("draw failed");
  };
  Render();
  Render();
  EXPECT_TRUE(errorBoxes.empty());  // never from inside a paint event
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(errorBoxes, QStringList{"draw failed"});
}

TEST_F(StringGridTest, RowCountAtOrBelowFixedRowsLowersThem) {
  grid.SetRowCount(1);
  EXPECT_EQ(grid.FixedRows(), 0);
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_THROW(grid.SetFixedRows(1), std::exception);
}

TEST_F(StringGridTest, EditableCellsTakeTypedTextOnEnterAndKeepItOnEscape) {
  grid.SetColCount(3);
  grid.SetFixedCols(1);
  grid.SetRowCount(11);
  grid.SetEditable(true);
  grid.show();
  grid.setFocus();
  grid.SetCol(2);
  grid.SetRow(1);
  QTest::keyClick(&grid, Qt::Key_F2);
  ASSERT_TRUE(grid.IsEditing());
  grid.Editor()->setText("13800138000");
  QTest::keyClick(grid.Editor(), Qt::Key_Return);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Cells(2, 1), "13800138000");

  QTest::keyClicks(&grid, "9");
  ASSERT_TRUE(grid.IsEditing());
  EXPECT_EQ(grid.Editor()->text(), "9");
  QTest::keyClick(grid.Editor(), Qt::Key_Escape);
  EXPECT_EQ(grid.Cells(2, 1), "13800138000");
}

TEST_F(StringGridTest, ReadOnlyGridOpensNoEditor) {
  Refill(1);
  grid.show();
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_F2);
  QTest::keyClicks(&grid, "x");
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.Cells(1, 1), "meter 0");
}

}  // namespace
