#include "platform/gui/Chart.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTest>

#include <algorithm>
#include <cmath>

#include "platform/Errors.h"
#include "platform/gui/ChartPrint.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

class ChartTest : public GuiTest {
 protected:
  ChartTest() { chart.resize(600, 400); }

  QImage Render() {
    QImage image(chart.size(), QImage::Format_ARGB32);
    chart.render(&image);
    return image;
  }

  // Pixels of `color` inside `area` (the plot area, without its edges, by default).
  int Count(const QImage& image, const QColor& color, QRect area = {}) {
    if (area.isNull()) area = chart.PlotRect().adjusted(1, 1, -1, -1);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) count += image.pixelColor(x, y) == color;
    }
    return count;
  }

  // Pixels where ink of pure blue covers at least half of a light background (text is drawn
  // smoothed, so its edges blend).
  static int CountBlueInk(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        const QColor pixel = image.pixelColor(x, y);
        count += pixel.blue() >= 200 && pixel.red() <= 128 && pixel.green() <= 128;
      }
    }
    return count;
  }

  TFastLineSeries* FlatSeries(int points, float y, TColor color = clRed) {
    TFastLineSeries* series = chart.AddSeries();
    series->SetColor(color);
    for (int i = 0; i < points; ++i) series->AddY(y);
    return series;
  }

  TChart chart;
};

TEST_F(ChartTest, RingSeriesScrollsAndUnboundedSeriesGrows) {
  TFastLineSeries* ring = chart.AddSeries(5);
  for (int i = 0; i < 7; ++i) ring->AddY(static_cast<float>(i * 10));
  ASSERT_EQ(ring->Count(), 5);
  EXPECT_EQ(ring->FirstX(), 2);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ring->YValue(i), (i + 2) * 10.0f);
  // Drop one, append one: the trend's scroll step.
  ring->DeleteFirst();
  ring->AddY(70.0f);
  EXPECT_EQ(ring->Count(), 5);
  EXPECT_EQ(ring->FirstX(), 3);
  EXPECT_EQ(ring->YValue(4), 70.0f);

  TFastLineSeries* grown = chart.AddSeries();
  for (int i = 0; i < 30000; ++i) grown->AddY(static_cast<float>(i));
  grown->DeleteFirst();
  EXPECT_EQ(grown->Count(), 29999);
  EXPECT_EQ(grown->XValue(0), 1);
  EXPECT_EQ(grown->YValue(29998), 29999.0f);
  grown->Clear();
  grown->AddY(1.0f);
  EXPECT_EQ(grown->FirstX(), 0);
}

TEST_F(ChartTest, ValuesAddedInBulkAreThePointsAddedOneByOne) {
  // Channel 1 of records of 3 values: every third value from the second on.
  std::vector<float> records(3 * 40);
  for (std::size_t i = 0; i < records.size(); ++i) records[i] = static_cast<float>(i);
  for (const int capacity : {0, 5, 16, 100}) {
    TChart one;
    TChart bulk;
    TFastLineSeries* byOne = one.AddSeries(capacity);
    TFastLineSeries* byBlock = bulk.AddSeries(capacity);
    for (const auto& [first, count] : {std::pair{0, 3}, std::pair{3, 10}, std::pair{13, 27}}) {
      for (int r = first; r < first + count; ++r) byOne->AddY(records[3 * r + 1]);
      byBlock->AddValues(records.data() + 3 * first + 1, count, 3);
      ASSERT_EQ(byBlock->Count(), byOne->Count()) << capacity;
      EXPECT_EQ(byBlock->FirstX(), byOne->FirstX()) << capacity;
      for (int i = 0; i < byOne->Count(); ++i) EXPECT_EQ(byBlock->YValue(i), byOne->YValue(i));
    }
    byBlock->DeleteFirst();
    byBlock->AddValues(records.data(), 2);
    EXPECT_EQ(byBlock->YValue(byBlock->Count() - 1), 1.0f);
  }
}

TEST_F(ChartTest, LabelsNotGivenComeFromTheLabelSource) {
  TFastLineSeries* page = chart.AddSeries();
  page->AddValues(std::vector<float>(10, 1.0f).data(), 10);
  page->AddY(2.0f, "given");
  chart.SetXLabelSource([](std::int64_t x) { return QString("t%1").arg(x); });
  EXPECT_EQ(page->Label(3), "t3");
  EXPECT_EQ(page->Label(10), "given");
  chart.RemoveAllSeries();
  EXPECT_EQ(chart.XLabel(3), "");
}

TEST_F(ChartTest, PointLabelsAreSharedPerXAndKeptWhileASeriesCanHoldThem) {
  TFastLineSeries* a = chart.AddSeries(3);
  TFastLineSeries* b = chart.AddSeries(3);
  for (int tick = 0; tick < 10; ++tick) {
    const QString label = QString("19-12-03 14:05:%1").arg(tick, 2, 10, QChar('0'));
    a->AddY(tick, label);
    b->AddY(-tick);  // no label of its own: reads a's
  }
  EXPECT_EQ(a->Label(0), "19-12-03 14:05:07");
  EXPECT_EQ(b->Label(2), "19-12-03 14:05:09");
  EXPECT_EQ(chart.XLabel(3), "");  // beyond the window of 3 points

  // An unbounded series (a history page) keeps every label; removing all series drops them.
  TFastLineSeries* page = chart.AddSeries();
  for (int k = 0; k < 20000; ++k) page->AddY(k, QString::number(k));
  EXPECT_EQ(page->Label(0), "0");
  EXPECT_EQ(page->Label(19999), "19999");
  chart.RemoveAllSeries();
  EXPECT_EQ(chart.XLabel(5), "");
}

TEST_F(ChartTest, NewSeriesTakeThePaletteInOrderWithoutRepeatingAColourInUse) {
  const std::vector<TColor>& palette = TChart::AutomaticColors();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(chart.AddSeries()->Color(), palette[i]);
  chart.RemoveSeries(0);
  EXPECT_EQ(chart.AddSeries()->Color(), palette[0]);  // free again
  EXPECT_EQ(chart.AddSeries()->Color(), palette[3]);
  chart.RemoveAllSeries();
  EXPECT_EQ(chart.AddSeries()->Color(), palette[0]);
}

TEST_F(ChartTest, ManyPointsPerPixelColumnKeepTheirSpikes) {
  TFastLineSeries* series = chart.AddSeries(100000);
  for (int i = 0; i < 100000; ++i) series->AddY(i == 54321 ? 1000.0f : (i == 77777 ? -1000.0f : 0.0f));
  const QPolygonF line = ColumnPolyline(*series, 0, 99999, -1000, 1000, QRectF(0, 0, 100, 201));
  EXPECT_LE(line.size(), 4 * 101);
  double top = 1e9;
  double bottom = -1e9;
  for (const QPointF& point : line) {
    top = std::min(top, point.y());
    bottom = std::max(bottom, point.y());
  }
  EXPECT_DOUBLE_EQ(top, 0.0);       // the +1000 spike reaches the top edge
  EXPECT_DOUBLE_EQ(bottom, 200.0);  // the -1000 spike reaches the bottom edge
}

TEST_F(ChartTest, AxisTicksUseRoundStepsAndAlwaysEnd) {
  EXPECT_EQ(AxisTicks(0, 500, 10),
            (std::vector<double>{0, 50, 100, 150, 200, 250, 300, 350, 400, 450, 500}));
  EXPECT_EQ(AxisTicks(-1, 1, 4), (std::vector<double>{-1, -0.5, 0, 0.5, 1}));
  EXPECT_LE(AxisTicks(1e20, 1e20 + 1e5, 10).size(), 21u);
  EXPECT_TRUE(AxisTicks(0, std::numeric_limits<double>::infinity(), 10).empty());
}

TEST_F(ChartTest, LeftAxisLabelTextGroupsThousandsAndKeepsThreeDecimals) {
  const std::pair<double, const char*> cases[] = {
      {0, "0"},        {1234.5678, "1,234.568"}, {-0.5, "-0.5"},      {-0.0001, "0"},
      {1e6, "1,000,000"}, {500, "500"},           {-1234567.25, "-1,234,567.25"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(TChart::LeftAxisLabelText(value), text) << value;
}

TEST_F(ChartTest, AxisEndsCannotCrossAndTheOrderOfSettingAvoidsIt) {
  chart.SetLeftAxisMinMax(0, 1000);
  EXPECT_THROW(chart.SetLeftAxisMinimum(2000), Exception);
  EXPECT_THROW(chart.SetLeftAxisMaximum(-1), Exception);
  EXPECT_EQ(chart.LeftAxis().Minimum, 0);  // unchanged by the refusals
  // 0..1000 to 2000..3000: maximum first.
  chart.SetLeftAxisMaximum(3000);
  chart.SetLeftAxisMinimum(2000);
  EXPECT_EQ(chart.LeftAxis().Minimum, 2000);
  EXPECT_EQ(chart.LeftAxis().Maximum, 3000);
  // 100..1000 to -50..50: minimum first.
  chart.SetLeftAxisMinMax(100, 1000);
  chart.SetLeftAxisMinimum(-50);
  chart.SetLeftAxisMaximum(50);
  EXPECT_EQ(chart.LeftAxis().Minimum, -50);
  EXPECT_EQ(chart.LeftAxis().Maximum, 50);
  EXPECT_FALSE(chart.LeftAxis().Automatic);
  // A stored pair (Config.dat) is taken as it is: ends in the wrong order show in order, ends
  // that are not numbers show the data's range.
  chart.SetLeftAxisMinMax(500, 20);
  EXPECT_EQ(chart.LeftAxis().Minimum, 20);
  EXPECT_EQ(chart.LeftAxis().Maximum, 500);
  chart.SetLeftAxisMinMax(std::nan(""), 20);
  EXPECT_EQ(chart.LeftAxis().Minimum, 0);
  EXPECT_EQ(chart.LeftAxis().Maximum, 1);
}

TEST_F(ChartTest, AutomaticAxesFollowTheActiveSeries) {
  TFastLineSeries* series = FlatSeries(1000, 800.0f);
  EXPECT_TRUE(chart.BottomAxis().Automatic);
  EXPECT_EQ(chart.BottomAxis().Minimum, 0);
  EXPECT_EQ(chart.BottomAxis().Maximum, 999);
  EXPECT_LT(chart.LeftAxis().Minimum, 800);  // a flat line gets room around it
  EXPECT_GT(chart.LeftAxis().Maximum, 800);
  double lo = 0, hi = 0;
  ASSERT_TRUE(chart.XDataExtent(lo, hi));
  EXPECT_EQ(hi, 999);
  series->SetActive(false);
  EXPECT_EQ(chart.BottomAxis().Maximum, 1);  // nothing active: the empty range
  ASSERT_TRUE(chart.XDataExtent(lo, hi));    // the data extent counts every series
}

TEST_F(ChartTest, PercentZoomMovesEachEndBy15PercentOfTheSpanAndUndoRestores) {
  chart.SetLeftAxisMinMax(0, 500);
  FlatSeries(1001, 100.0f);  // X 0..1000
  int zooms = 0, undos = 0;
  chart.OnZoom = [&] { ++zooms; };
  chart.OnUndoZoom = [&] { ++undos; };

  chart.ZoomPercent(115);
  EXPECT_DOUBLE_EQ(chart.LeftAxis().Minimum, 75);
  EXPECT_DOUBLE_EQ(chart.LeftAxis().Maximum, 425);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum, 150);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum, 850);
  EXPECT_FALSE(chart.BottomAxis().Automatic);
  chart.ZoomPercent(85);  // outward by 15 % of the present span (350 and 700)
  EXPECT_DOUBLE_EQ(chart.LeftAxis().Minimum, 75 - 52.5);
  EXPECT_DOUBLE_EQ(chart.LeftAxis().Maximum, 425 + 52.5);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum, 150 - 105);
  EXPECT_EQ(zooms, 2);
  EXPECT_TRUE(chart.Zoomed());

  chart.UndoZoom();  // the scales before the first zoom
  EXPECT_EQ(undos, 1);
  EXPECT_FALSE(chart.Zoomed());
  EXPECT_EQ(chart.LeftAxis().Minimum, 0);
  EXPECT_EQ(chart.LeftAxis().Maximum, 500);
  EXPECT_FALSE(chart.LeftAxis().Automatic);
  EXPECT_TRUE(chart.BottomAxis().Automatic);

  // A bottom axis fixed from code (a scroll bar's pan) is automatic again after an undo.
  chart.SetBottomAxisMinMax(10, 20);
  chart.UndoZoom();
  EXPECT_TRUE(chart.BottomAxis().Automatic);
  EXPECT_EQ(undos, 2);
}

TEST_F(ChartTest, ScreenAndValueConvertThroughTheAxesShown) {
  chart.SetLeftAxisMinMax(-100, 100);
  chart.SetBottomAxisMinMax(0, 1000);
  const QRect plot = chart.PlotRect();
  EXPECT_DOUBLE_EQ(chart.BottomAxisValueAt(plot.left()), 0);
  EXPECT_DOUBLE_EQ(chart.BottomAxisValueAt(plot.right()), 1000);
  EXPECT_DOUBLE_EQ(chart.LeftAxisValueAt(plot.bottom()), -100);
  EXPECT_DOUBLE_EQ(chart.LeftAxisValueAt(plot.top()), 100);
  for (int x : {plot.left(), plot.center().x(), plot.right()}) {
    EXPECT_EQ(chart.BottomAxisPixelOf(chart.BottomAxisValueAt(x)), x);
  }
  EXPECT_EQ(chart.LeftAxisPixelOf(0), plot.bottom() - std::lround((plot.height() - 1) / 2.0));
}

TEST_F(ChartTest, MouseDragZoomsUndoesAndPansWithTheirCallbacks) {
  chart.SetLeftAxisMinMax(0, 100);
  chart.SetBottomAxisMinMax(0, 100);
  chart.show();
  int zooms = 0, scrolls = 0, undos = 0, moves = 0;
  chart.OnZoom = [&] { ++zooms; };
  chart.OnScroll = [&] { ++scrolls; };
  chart.OnUndoZoom = [&] { ++undos; };
  chart.OnMouseMove = [&](Qt::KeyboardModifiers, int, int) { ++moves; };
  const QRect plot = chart.PlotRect();
  const QPoint from = plot.topLeft() + QPoint(10, 10);
  const QPoint to = from + QPoint(100, 80);
  const double xFrom = chart.BottomAxisValueAt(from.x());
  const double xTo = chart.BottomAxisValueAt(to.x());

  QTest::mousePress(&chart, Qt::LeftButton, {}, from);
  QTest::mouseMove(&chart, to);
  QTest::mouseRelease(&chart, Qt::LeftButton, {}, to);
  EXPECT_EQ(zooms, 1);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Minimum, xFrom);
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum, xTo);
  EXPECT_GE(moves, 1);

  // A right drag pans: the range keeps its width and moves against the mouse.
  const double width = chart.BottomAxis().Maximum - chart.BottomAxis().Minimum;
  const double before = chart.BottomAxis().Minimum;
  QTest::mousePress(&chart, Qt::RightButton, {}, plot.center());
  QTest::mouseMove(&chart, plot.center() + QPoint(50, 0));
  QTest::mouseRelease(&chart, Qt::RightButton, {}, plot.center() + QPoint(50, 0));
  EXPECT_GE(scrolls, 1);
  EXPECT_LT(chart.BottomAxis().Minimum, before);
  EXPECT_NEAR(chart.BottomAxis().Maximum - chart.BottomAxis().Minimum, width, 1e-9);

  // A left drag to the left undoes; a short drag does nothing.
  QTest::mousePress(&chart, Qt::LeftButton, {}, plot.center());
  QTest::mouseRelease(&chart, Qt::LeftButton, {}, plot.center() + QPoint(5, 5));
  EXPECT_EQ(zooms, 1);
  EXPECT_EQ(undos, 0);
  QTest::mousePress(&chart, Qt::LeftButton, {}, plot.center());
  QTest::mouseRelease(&chart, Qt::LeftButton, {}, plot.center() - QPoint(40, 0));
  EXPECT_EQ(undos, 1);
  EXPECT_EQ(chart.LeftAxis().Maximum, 100);  // the scales before the zoom
  EXPECT_TRUE(chart.BottomAxis().Automatic);
}

TEST_F(ChartTest, HiddenLineStaysInTheLegendAndInactiveSeriesAreNotDrawn) {
  chart.SetLeftAxisMinMax(0, 10);
  chart.SetBackColor(clWhite);
  TFastLineSeries* series = FlatSeries(100, 5.0f, clRed);
  series->SetTitle("Boiler");
  const QColor red(255, 0, 0);
  const QRect below(0, chart.PlotRect().bottom() + 2, chart.width(),
                    chart.height() - chart.PlotRect().bottom() - 2);
  EXPECT_GT(Count(Render(), red), 100);
  EXPECT_GT(Count(Render(), red, below), 5);  // the legend's colour line

  series->SetLineVisible(false);
  EXPECT_EQ(Count(Render(), red), 0);
  EXPECT_GT(Count(Render(), red, below), 5);
  series->SetLineVisible(true);
  series->SetActive(false);
  EXPECT_EQ(Count(Render(), red), 0);

  chart.SetLegendVisible(false);
  EXPECT_EQ(Count(Render(), red, below), 0);
}

TEST_F(ChartTest, BackWallIsClearUntilABackColourIsSetAndTitleHasItsColour) {
  chart.SetTitle("Real Time Trend");
  chart.SetTitleColor(clBlue);
  EXPECT_FALSE(chart.BackWallFilled());
  EXPECT_EQ(chart.BackColor(), clBtnFace);
  EXPECT_EQ(Count(Render(), QColor(Qt::black)), 0);
  chart.SetBackColor(clBlack);
  const QImage image = Render();
  const QRect plot = chart.PlotRect();
  EXPECT_GT(Count(image, QColor(Qt::black)), plot.width() * plot.height() * 9 / 10);
  EXPECT_GT(CountBlueInk(image, QRect(0, 0, chart.width(), plot.top())), 10);
}

TEST_F(ChartTest, CrossHairIsDrawnLikeAnXorPenOverThePictureWithoutRedrawingIt) {
  chart.SetLeftAxisMinMax(0, 10);
  chart.SetBackColor(clWhite);
  TFastLineSeries* series = FlatSeries(100, 5.0f, clBlue);
  int redraws = 0;
  series->OnAfterDrawValues = [&] { ++redraws; };
  chart.show();
  const QImage clean = chart.grab().toImage();
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(chart.PictureDraws(), 1);
  const QRect plot = chart.PlotRect();
  const int x = plot.left() + 50;
  const int y = plot.top() + 20;

  chart.SetCrossHair(QPoint(x, y));
  QImage crossed = chart.grab().toImage();
  EXPECT_EQ(crossed.pixelColor(x, plot.bottom() - 3), QColor(255, 0, 0));  // red over white
  EXPECT_EQ(crossed.pixelColor(plot.right() - 3, y), QColor(255, 0, 0));
  EXPECT_EQ(crossed.pixelColor(x, y), clean.pixelColor(x, y));  // toggled twice where they cross
  // Only inside the plot area.
  EXPECT_EQ(crossed.pixelColor(x, plot.top() - 2), clean.pixelColor(x, plot.top() - 2));
  EXPECT_EQ(crossed.pixelColor(plot.right() + 2, y), clean.pixelColor(plot.right() + 2, y));

  // Moving it repaints no curve: the old lines come back from the picture, the new ones go over.
  for (int step = 1; step <= 20; ++step) chart.SetCrossHair(QPoint(x + step, y + step));
  const QImage moved = chart.grab().toImage();
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(chart.PictureDraws(), 1);
  EXPECT_EQ(moved.pixelColor(x, plot.bottom() - 3), clean.pixelColor(x, plot.bottom() - 3));
  EXPECT_EQ(moved.pixelColor(x + 20, plot.bottom() - 3), QColor(255, 0, 0));

  chart.SetCrossHair(QPoint(x, y));
  chart.SetBackColor(clBlack);  // still red over another background, over the new picture
  crossed = chart.grab().toImage();
  EXPECT_EQ(redraws, 2);
  EXPECT_EQ(crossed.pixelColor(x, plot.bottom() - 3), QColor(255, 0, 0));
  chart.ClearCrossHair();
  EXPECT_FALSE(chart.CrossHair());
  const QImage erased = chart.grab().toImage();
  EXPECT_EQ(erased.pixelColor(x, plot.bottom() - 3), QColor(0, 0, 0));
  EXPECT_EQ(redraws, 2);

  // A dashed pen leaves the gaps of its pattern (4 on, 2 off from the plot's top) as they were.
  chart.SetCrossHairPen(255, Qt::DashLine);
  chart.SetCrossHair(QPoint(x, y));
  const QImage dashed = chart.grab().toImage();
  EXPECT_EQ(dashed.pixelColor(x, plot.top() + 6 * 10 + 1), QColor(255, 0, 0));
  EXPECT_EQ(dashed.pixelColor(x, plot.top() + 6 * 10 + 4), QColor(0, 0, 0));

  // An owner that takes the cross-hair away when the picture is redrawn (new data) sees it go.
  series->OnAfterDrawValues = [&] { chart.ClearCrossHair(); };
  series->AddY(6.0f);
  const QImage redrawn = chart.grab().toImage();
  EXPECT_EQ(chart.PictureDraws(), 3);
  EXPECT_EQ(redrawn.pixelColor(x, plot.bottom() - 3), QColor(0, 0, 0));
}

TEST_F(ChartTest, AHeldPictureIsDrawnOnceWhenTheUpdateEnds) {
  chart.SetLeftAxisMinMax(0, 10);
  chart.SetBackColor(clWhite);
  FlatSeries(100, 5.0f, clBlue);
  chart.show();
  const QImage before = chart.grab().toImage();
  const std::int64_t draws = chart.PictureDraws();
  {
    const TChartUpdate outer(chart);
    TFastLineSeries* red = chart.AddSeries();
    red->SetColor(clRed);
    {
      const TChartUpdate inner(chart);
      for (int i = 0; i < 100; ++i) red->AddY(2.0f);
    }
    EXPECT_TRUE(chart.Updating());
    // Repaints meanwhile show the picture as it stood.
    for (int i = 0; i < 5; ++i) red->AddY(8.0f);
    EXPECT_EQ(chart.grab().toImage(), before);
    EXPECT_EQ(chart.PictureDraws(), draws);
  }
  EXPECT_FALSE(chart.Updating());
  const QImage after = chart.grab().toImage();
  EXPECT_EQ(chart.PictureDraws(), draws + 1);
  EXPECT_GT(Count(after, QColor(255, 0, 0)), 50);
}

// Time labels under narrow value labels: the first one, centred on the plot's left edge, and
// every other one are drawn whole inside the chart's frame, at any width.
TEST_F(ChartTest, BottomAxisLabelsAreDrawnWholeInsideTheChart) {
  const QString label = QStringLiteral("24-03-05 14:00:00");
  chart.SetColor(clWhite);
  chart.SetBackColor(clWhite);
  chart.SetLegendVisible(false);
  chart.SetLeftAxisMinMax(0, 1);
  chart.SetBottomAxisLabelStyle(TAxisLabelStyle::Mark);
  TFastLineSeries* series = chart.AddSeries();
  series->AddValues(std::vector<float>(1000, 0.5f).data(), 1000);
  chart.SetXLabelSource([&](std::int64_t) { return label; });
  const int labelWidth = chart.fontMetrics().horizontalAdvance(label);
  for (const int width : {600, 333, 1000}) {
    chart.resize(width, 300);
    const QImage image = Render();
    const QRect plot = chart.PlotRect();
    // The columns with ink in the row band of the bottom axis labels.
    const int top = plot.bottom() + TChart::kTickLength + 2;
    std::vector<bool> ink(width, false);
    for (int y = top; y < top + chart.fontMetrics().height(); ++y) {
      for (int x = 0; x < width; ++x) ink[x] = ink[x] || qGray(image.pixel(x, y)) < 100;
    }
    for (int x = 0; x <= TChart::kFrameWidth; ++x) {
      EXPECT_FALSE(ink[x] || ink[width - 1 - x]) << "at the frame, width " << width;
    }
    // Labels are runs of ink apart by more than a blank; each is as wide as its text.
    std::vector<int> runs;
    int start = -1;
    int last = -100;
    for (int x = 0; x < width; ++x) {
      if (!ink[x]) continue;
      if (x - last > 8) {
        if (start >= 0) runs.push_back(last - start + 1);
        start = x;
      }
      last = x;
    }
    if (start >= 0) runs.push_back(last - start + 1);
    ASSERT_FALSE(runs.empty()) << width;
    for (const int run : runs) EXPECT_GE(run, labelWidth - 4) << "a label cut, width " << width;
  }
}

TEST_F(ChartTest, DrawPaintsTheWholeChartIntoAnyPainterAndThePreviewIsModal) {
  chart.SetLeftAxisMinMax(0, 10);
  chart.SetBackColor(clWhite);
  FlatSeries(100, 5.0f, clRed);
  QImage page(chart.size(), QImage::Format_ARGB32);
  page.fill(Qt::black);
  QPainter painter(&page);
  chart.Draw(painter, page.rect());
  painter.end();
  EXPECT_GT(Count(page, QColor(255, 0, 0)), 100);
  EXPECT_GT(Count(page, QColor(255, 255, 255)), 1000);

  chart.SetPrintMargins({0, 0, 0, 0});
  int pages = -1;
  ScopedModalHook hook([&](QDialog& dialog) {
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    EXPECT_NE(dynamic_cast<QPrintPreviewDialog*>(&dialog), nullptr);
    if (preview != nullptr) {
      preview->updatePreview();
      pages = preview->pageCount();
    }
    return int{mrCancel};
  });
  EXPECT_EQ(ShowChartPrintPreview(chart), mrCancel);
  EXPECT_EQ(pages, 1);
}

}  // namespace
