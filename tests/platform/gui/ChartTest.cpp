#include "platform/gui/Chart.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

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

  // Pixels of `color` inside the plot area.
  int CountInPlot(const QImage& image, const QColor& color) {
    const QRect plot = chart.PlotRect(chart.rect()).adjusted(1, 1, -1, -1);
    int count = 0;
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
      for (int x = plot.left(); x <= plot.right(); ++x) count += image.pixelColor(x, y) == color;
    }
    return count;
  }

  TChart chart;
};

TEST_F(ChartTest, FullSeriesScrollsByOnePointPerAppend) {
  TFastLineSeries* series = chart.AddSeries(5);
  for (int i = 0; i < 7; ++i) series->AddY(static_cast<float>(i * 10));
  ASSERT_EQ(series->Count(), 5);
  EXPECT_EQ(series->FirstX(), 2);
  EXPECT_EQ(series->LastX(), 6);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(series->XValue(i), i + 2);
    EXPECT_EQ(series->YValue(i), (i + 2) * 10.0f);
  }
  series->Clear();
  series->AddY(1.0f);
  EXPECT_EQ(series->FirstX(), 0);
  EXPECT_EQ(series->Count(), 1);
}

TEST_F(ChartTest, PointLabelsFollowTheirXPositionsAndOldOnesAreDropped) {
  TFastLineSeries* a = chart.AddSeries(3);
  TFastLineSeries* b = chart.AddSeries(3);
  for (int tick = 0; tick < 10; ++tick) {
    const QString label = QString("19-12-03 14:05:%1").arg(tick, 2, 10, QChar('0'));
    a->AddY(tick, label);
    b->AddY(-tick, label);
  }
  EXPECT_EQ(a->Label(0), "19-12-03 14:05:07");
  EXPECT_EQ(b->Label(2), "19-12-03 14:05:09");
  EXPECT_EQ(chart.XLabel(3), "");  // outside the window of 3 points
  EXPECT_EQ(chart.LabelWindow(), 3);
}

TEST_F(ChartTest, ManyPointsPerPixelColumnKeepTheirSpikes) {
  TFastLineSeries* series = chart.AddSeries(100000);
  for (int i = 0; i < 100000; ++i) series->AddY(i == 54321 ? 1000.0f : (i == 77777 ? -1000.0f : 0.0f));
  const QRectF plot(0, 0, 100, 201);
  const QPolygonF line = ColumnPolyline(*series, 0, 99999, -1000, 1000, plot);
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

TEST_F(ChartTest, FewPointsGiveOnePolylinePointEach) {
  TFastLineSeries* series = chart.AddSeries(1000);
  for (int i = 0; i < 1000; ++i) series->AddY(static_cast<float>(i % 7));
  series->AddY(std::nanf(""));
  const QPolygonF line = ColumnPolyline(*series, series->FirstX(), series->LastX(), 0, 10,
                                        QRectF(0, 0, 1500, 300));
  EXPECT_EQ(line.size(), 999);  // the NaN point is skipped
}

TEST_F(ChartTest, AxisTicksUseRoundStepsAndAlwaysEnd) {
  EXPECT_EQ(AxisTicks(0, 500, 10),
            (std::vector<double>{0, 50, 100, 150, 200, 250, 300, 350, 400, 450, 500}));
  EXPECT_EQ(AxisTicks(-1, 1, 4), (std::vector<double>{-1, -0.5, 0, 0.5, 1}));
  EXPECT_LE(AxisTicks(1e20, 1e20 + 1e5, 10).size(), 21u);
  EXPECT_TRUE(AxisTicks(0, std::numeric_limits<double>::infinity(), 10).empty());
}

TEST_F(ChartTest, FixedLeftAxisAndAutomaticBottomAxis) {
  chart.SetLeftAxisMinMax(0, 500);
  TFastLineSeries* series = chart.AddSeries(1000);
  for (int i = 0; i < 1000; ++i) series->AddY(800.0f);
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  chart.VisibleRanges(xMin, xMax, yMin, yMax);
  EXPECT_EQ(yMin, 0);
  EXPECT_EQ(yMax, 500);
  EXPECT_EQ(xMin, 0);
  EXPECT_EQ(xMax, 999);
  chart.SetLeftAxisAutomatic();
  chart.VisibleRanges(xMin, xMax, yMin, yMax);
  EXPECT_LT(yMin, 800);
  EXPECT_GT(yMax, 800);
}

TEST_F(ChartTest, BackWallIsClearUntilABackColourIsSet) {
  chart.SetTitle("Real Time Trend");
  EXPECT_FALSE(chart.BackWallFilled());
  EXPECT_EQ(CountInPlot(Render(), QColor(Qt::black)), 0);
  chart.SetBackColor(clBlack);
  const QImage image = Render();
  const QRect plot = chart.PlotRect(chart.rect());
  EXPECT_GT(CountInPlot(image, QColor(Qt::black)), plot.width() * plot.height() * 9 / 10);
}

TEST_F(ChartTest, TitleIsDrawnInItsColour) {
  chart.SetTitle("Real Time Trend");
  chart.SetTitleColor(clBlue);
  const QImage image = Render();
  const QRect plot = chart.PlotRect(chart.rect());
  int blue = 0;
  for (int y = 0; y < plot.top(); ++y) {
    for (int x = 0; x < image.width(); ++x) blue += image.pixelColor(x, y) == QColor(0, 0, 255);
  }
  EXPECT_GT(blue, 10);
}

TEST_F(ChartTest, OnlyActiveSeriesAreDrawn) {
  chart.SetLeftAxisMinMax(0, 10);
  TFastLineSeries* series = chart.AddSeries(100);
  series->SetColor(clRed);
  for (int i = 0; i < 100; ++i) series->AddY(5.0f);
  EXPECT_GT(CountInPlot(Render(), QColor(255, 0, 0)), 100);
  series->SetActive(false);
  EXPECT_EQ(CountInPlot(Render(), QColor(255, 0, 0)), 0);
}

TEST_F(ChartTest, DrawPaintsTheWholeChartIntoAnyPainter) {
  chart.SetLeftAxisMinMax(0, 10);
  chart.SetBackColor(clWhite);
  TFastLineSeries* series = chart.AddSeries(100);
  series->SetColor(clRed);
  for (int i = 0; i < 100; ++i) series->AddY(5.0f);
  QImage page(chart.size(), QImage::Format_ARGB32);
  page.fill(Qt::black);
  QPainter painter(&page);
  chart.Draw(painter, page.rect());
  painter.end();
  EXPECT_GT(CountInPlot(page, QColor(255, 0, 0)), 100);
  EXPECT_GT(CountInPlot(page, QColor(255, 255, 255)), 1000);
}

}  // namespace
