#include "platform/gui/ChartRaster.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "platform/gui/Chart.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
const QRect kPlot(37, 21, 503, 301);  // odd sizes: rows end inside a 64-row word
const QSize kImageSize(600, 360);

QImage WhiteImage(QImage::Format format = QImage::Format_RGB32) {
  QImage image(kImageSize, format);
  image.fill(Qt::white);
  return image;
}

struct Axes {
  double xMin, xMax, yMin, yMax;
};

// The reference: QPainter's 1-pixel cosmetic pen along the column polyline, clipped to the plot.
void PaintWithQPainter(QImage& image, const TFastLineSeries& series, const Axes& a, QRgb rgb) {
  QPainter painter(&image);
  painter.setClipRect(kPlot);
  QPen pen{QColor(rgb), 1};
  pen.setCosmetic(true);
  painter.setPen(pen);
  painter.drawPolyline(ColumnPolyline(series, a.xMin, a.xMax, a.yMin, a.yMax, QRectF(kPlot)));
}

void Rasterize(QImage& image, const TFastLineSeries& series, const Axes& a, QRgb rgb,
               const QRect& plot = kPlot) {
  TLineRaster raster(image, plot, TPlotMapping(a.xMin, a.xMax, a.yMin, a.yMax, QRectF(plot)));
  raster.DrawUnder(series, rgb);
}

// The pixels of `a` (not white) that have no pixel of the same colour in `b` within one pixel.
int PixelsWithoutNeighbour(const QImage& a, const QImage& b) {
  int lonely = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb color = a.pixel(x, y);
      if (color == kWhite) continue;
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy) {
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          found = b.valid(x + dx, y + dy) && b.pixel(x + dx, y + dy) == color;
        }
      }
      lonely += found ? 0 : 1;
    }
  }
  return lonely;
}

// The largest difference, in rows, between the highest and between the lowest drawn pixel of a
// column in the two images, over the plot's inner columns (QPainter's end caps may add a pixel
// in the edge columns); columns drawn in one image only count as `missing`.
int WorstColumnEnds(const QImage& a, const QImage& b, int& missing) {
  int worst = 0;
  missing = 0;
  for (int x = kPlot.left() + 1; x < kPlot.right(); ++x) {
    int aTop = -1, aBottom = -1, bTop = -1, bBottom = -1;
    for (int y = kPlot.top(); y <= kPlot.bottom(); ++y) {
      if (a.pixel(x, y) != kWhite) {
        if (aTop < 0) aTop = y;
        aBottom = y;
      }
      if (b.pixel(x, y) != kWhite) {
        if (bTop < 0) bTop = y;
        bBottom = y;
      }
    }
    if ((aTop < 0) != (bTop < 0)) {
      ++missing;
    } else if (aTop >= 0) {
      worst = std::max({worst, std::abs(aTop - bTop), std::abs(aBottom - bBottom)});
    }
  }
  return worst;
}

class ChartRasterTest : public GuiTest {
 protected:
  TFastLineSeries* Series(int points, const std::function<float(int)>& value) {
    TFastLineSeries* series = chart.AddSeries();
    for (int i = 0; i < points; ++i) series->AddY(value(i));
    return series;
  }

  TChart chart;
  std::mt19937 random{20191203};
};

// The two paths agree to within a pixel, series by series, for the shapes a chart meets: smooth
// curves (steep and shallow joins, one or two columns apart), jumps over the whole plot, noise,
// 20,000 points in 500 columns, a few points far apart (zoomed in), NaN gaps and a flat line.
TEST_F(ChartRasterTest, EachLineMatchesQPainterWithinOnePixel) {
  std::uniform_real_distribution<float> noise(2.0f, 98.0f);
  struct Shape {
    std::string name;
    int points;
    std::function<float(int)> value;
    Axes axes;
  };
  const std::vector<Shape> shapes = {
      {"smooth", 300, [](int i) { return 50 + 40 * std::sin(i * 0.05f); }, {-0.7, 298.4, 0, 100}},
      {"trend", 1000, [](int i) { return 50 + 45 * std::sin(i * 0.013f); }, {0, 999, 0, 100}},
      {"jumps", 300, [](int i) { return i % 2 == 0 ? 0.0f : 100.0f; }, {-0.7, 298.4, 0, 100}},
      {"noise", 300, [&](int) { return noise(random); }, {-0.7, 298.4, 0, 100}},
      {"dense", 20000, [&](int) { return noise(random); }, {0, 19999, 0, 100}},
      {"zoomed", 40, [&](int) { return noise(random); }, {3.3, 38.4, 0, 100}},
      {"gaps", 300,
       [](int i) {
         return i % 7 == 3 ? std::numeric_limits<float>::quiet_NaN()
                           : 50 + 30 * std::sin(i * 0.1f);
       },
       {-0.7, 298.4, 0, 100}},
      {"flat", 300, [](int i) { return i % 50 == 0 ? 40.4f : 40.0f; }, {-0.7, 298.4, 0, 100}},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    const TFastLineSeries& series = *Series(shape.points, shape.value);
    QImage reference = WhiteImage();
    QImage raster = WhiteImage();
    PaintWithQPainter(reference, series, shape.axes, qRgb(255, 0, 0));
    Rasterize(raster, series, shape.axes, qRgb(255, 0, 0));
    EXPECT_EQ(PixelsWithoutNeighbour(raster, reference), 0);
    EXPECT_EQ(PixelsWithoutNeighbour(reference, raster), 0);
    int missing = 0;
    EXPECT_LE(WorstColumnEnds(raster, reference, missing), 2);
    EXPECT_EQ(missing, 0);
  }
}

// Many curves jumping over the whole plot: every column fills up at once and the rest of the
// curves only pass over full words. The picture is QPainter's, drawn back to front.
TEST_F(ChartRasterTest, OverlappingJumpingCurvesGiveThePainterOrderPicture) {
  const Axes axes{0, 499, 0, 100};
  const QRgb colors[] = {qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(0, 0, 255), qRgb(255, 0, 255)};
  QImage reference = WhiteImage();
  for (int s = 0; s < 4; ++s) {
    Series(500, [s](int i) { return (i + s) % 2 == 0 ? 0.0f : 100.0f; });
    PaintWithQPainter(reference, *chart.Series(s), axes, colors[s]);
  }
  QImage raster = WhiteImage();
  TLineRaster lines(raster, kPlot, TPlotMapping(axes.xMin, axes.xMax, axes.yMin, axes.yMax,
                                                QRectF(kPlot)));
  for (int s = 3; s >= 0; --s) lines.DrawUnder(*chart.Series(s), colors[s]);
  int differing = 0;
  for (int y = kPlot.top(); y <= kPlot.bottom(); ++y) {
    for (int x = kPlot.left(); x <= kPlot.right(); ++x) {
      differing += raster.pixel(x, y) != reference.pixel(x, y);
    }
  }
  EXPECT_LE(differing, kPlot.width() * kPlot.height() / 1000);
  // Later curves hide earlier ones where they cross: the last one shows in every column.
  int lastShows = 0;
  for (int x = kPlot.left(); x <= kPlot.right(); ++x) {
    lastShows += raster.pixel(x, kPlot.center().y()) == colors[3];
  }
  EXPECT_GT(lastShows, kPlot.width() / 3);
}

// Values far off the axis and infinities: only pixels inside the plot change, and a jump from
// far above to far below covers its column. A line between two points far outside the plot on
// either side (zoomed in between them) is drawn over the plot's whole width.
TEST_F(ChartRasterTest, FarOffValuesAndPointsStayInsideThePlot) {
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {1e30f, -1e30f, inf, -inf, 50.0f, 3e38f, -50.0f};
  TFastLineSeries& wild = *Series(7, [&](int i) { return values[i]; });
  // Heights that end inside a 64-row word and on a word's end.
  for (const QRect& plot : {kPlot, QRect(37, 21, 503, 256)}) {
    QImage image = WhiteImage();
    Rasterize(image, wild, {0, 600, 0, 100}, qRgb(0, 0, 255), plot);  // under a pixel per point
    int outside = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        outside += !plot.contains(x, y) && image.pixel(x, y) != kWhite;
      }
    }
    EXPECT_EQ(outside, 0);
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
      ASSERT_EQ(image.pixel(plot.left(), y), qRgb(0, 0, 255)) << y;
    }
  }

  TFastLineSeries& crossing = *Series(2, [](int i) { return i == 0 ? 100.0f : -100.0f; });
  QImage zoomed = WhiteImage();
  Rasterize(zoomed, crossing, {0.49, 0.51, -100, 100}, qRgb(0, 0, 255));
  for (int x = kPlot.left(); x <= kPlot.right(); ++x) {
    int drawn = 0;
    for (int y = kPlot.top(); y <= kPlot.bottom(); ++y) drawn += zoomed.pixel(x, y) != kWhite;
    ASSERT_GE(drawn, 1) << x;
  }
}

// Cut into stripes drawn on threads of their own, the picture is the one a single raster draws,
// pixel for pixel: dense noisy pages, sparse curves one or more columns apart, scrolled rings,
// NaN gaps, far-off values, zoomed in so that the lines run past both edges, and stripes that
// cannot be as narrow as asked.
TEST_F(ChartRasterTest, StripesDrawTheSamePictureAsOneRaster) {
  std::uniform_real_distribution<float> noise(-20.0f, 120.0f);
  for (int s = 0; s < 12; ++s) Series(20000, [&](int) { return noise(random); });
  for (int s = 0; s < 12; ++s) {
    Series(700, [&](int i) { return i % 97 == 5 ? std::nanf("") : 50 + 45 * std::sin(i * 0.05f + s); });
  }
  Series(40, [](int i) { return i % 2 == 0 ? 1e30f : -1e30f; });
  TFastLineSeries* ring = chart.AddSeries(1000);
  for (int i = 0; i < 2500; ++i) ring->AddY(static_cast<float>(i % 130) - 10);
  std::vector<TRasterLine> lines;
  for (int s = chart.SeriesCount() - 1; s >= 0; --s) {
    lines.push_back({chart.Series(s), qRgb((s * 53) % 256, (s * 97) % 256, (s * 151) % 256)});
  }
  for (const Axes& axes : {Axes{0, 19999, 0, 100}, Axes{0, 699, -10, 110},
                           Axes{313.3, 377.9, 20, 80}, Axes{1500, 2499, 0, 120}}) {
    const TPlotMapping mapping(axes.xMin, axes.xMax, axes.yMin, axes.yMax, QRectF(kPlot));
    QImage single = WhiteImage();
    DrawLines(single, kPlot, mapping, lines, 1);
    for (const int stripes : {2, 4, 7, 100}) {
      QImage striped = WhiteImage();
      DrawLines(striped, kPlot, mapping, lines, stripes);
      EXPECT_TRUE(striped == single) << stripes << " stripes, x from " << axes.xMin;
    }
  }
}

// A clip area reaching beyond the image is cut to it.
TEST_F(ChartRasterTest, ClipBeyondTheImageIsCut) {
  TFastLineSeries& jumps = *Series(50, [](int i) { return i % 2 == 0 ? -10.0f : 110.0f; });
  QImage small(40, 30, QImage::Format_ARGB32_Premultiplied);
  small.fill(Qt::white);
  const QRect clip(-20, -20, 100, 100);
  TLineRaster raster(small, clip, TPlotMapping(0, 49, 0, 100, QRectF(clip)));
  raster.DrawUnder(jumps, qRgb(0, 0, 0));
  int black = 0;
  for (int y = 0; y < small.height(); ++y) {
    for (int x = 0; x < small.width(); ++x) black += small.pixel(x, y) == qRgb(0, 0, 0);
  }
  EXPECT_GT(black, small.height());
  EXPECT_TRUE(TLineRaster::Supports(small));
  EXPECT_FALSE(TLineRaster::Supports(QImage(10, 10, QImage::Format_RGB888)));
}

// Through the chart: series keep their order whichever path draws them (a 3-pixel line between
// 1-pixel ones, which the raster draws in runs), and hidden or inactive series are not drawn.
TEST_F(ChartRasterTest, ChartKeepsSeriesOrderAcrossWidthsAndSkipsHiddenSeries) {
  chart.resize(kImageSize);
  chart.SetLegendVisible(false);
  chart.SetBackColor(clWhite);
  chart.SetLeftAxisMinMax(0, 100);
  auto flat = [this](TColor color, int width) {
    TFastLineSeries* series = Series(200, [](int) { return 50.0f; });
    series->SetColor(color);
    series->SetLineWidth(width);
    return series;
  };
  flat(clRed, 1);
  flat(clMaroon, 1);  // drawn over red by the same raster run
  TFastLineSeries* green = flat(clGreen, 3);
  TFastLineSeries* blue = flat(clBlue, 1);
  // The colours down the plot's middle column, top to bottom, background left out.
  auto columnColors = [this] {
    QImage image = WhiteImage();
    QPainter painter(&image);
    chart.Draw(painter, image.rect());
    painter.end();
    const QRect plot = chart.PlotRect().adjusted(1, 1, -1, -1);
    std::vector<QRgb> colors;
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
      if (image.pixel(plot.center().x(), y) != kWhite) colors.push_back(image.pixel(plot.center().x(), y));
    }
    return colors;
  };
  const QRgb maroon = qRgb(128, 0, 0), darkGreen = qRgb(0, 128, 0), pureBlue = qRgb(0, 0, 255);
  EXPECT_EQ(columnColors(), (std::vector<QRgb>{darkGreen, pureBlue, darkGreen}));
  blue->SetLineVisible(false);
  EXPECT_EQ(columnColors(), (std::vector<QRgb>{darkGreen, darkGreen, darkGreen}));
  green->SetActive(false);
  EXPECT_EQ(columnColors(), (std::vector<QRgb>{maroon}));
}

// The chart's own picture (the cached image the widget paints) and the same chart drawn through
// QPainter into an image the raster does not serve agree to within a pixel per curve.
TEST_F(ChartRasterTest, CachedPictureMatchesTheQPainterPicture) {
  chart.resize(kImageSize);
  chart.SetLegendVisible(false);
  chart.SetBackColor(clWhite);
  chart.SetLeftAxisMinMax(0, 600);
  const TColor colors[] = {clRed, clGreen, clBlue, clFuchsia, clTeal, clNavy};
  std::uniform_real_distribution<float> noise(0.0f, 80.0f);
  for (int s = 0; s < 6; ++s) {
    // Each curve in a band of its own, so that no curve hides another; trend-sized and
    // scrolled, so the ring wraps.
    TFastLineSeries* series = chart.AddSeries(1000);
    series->SetColor(colors[s]);
    for (int i = 0; i < 1300; ++i) {
      series->AddY(s % 2 == 0 ? 100 * s + 10 + noise(random)
                              : 100 * s + 50 + 40 * std::sin(i * 0.02f));
    }
  }
  QImage cached = WhiteImage(QImage::Format_ARGB32);
  chart.render(&cached);
  QImage reference = WhiteImage(QImage::Format_RGB888);
  {
    QPainter painter(&reference);
    chart.Draw(painter, reference.rect());
  }
  reference = reference.convertToFormat(QImage::Format_RGB32);
  // Only the plot's inside: the axes and texts are QPainter's in both.
  const QRect inside = chart.PlotRect().adjusted(1, 1, -1, -1);
  const QImage a = cached.copy(inside).convertToFormat(QImage::Format_RGB32);
  const QImage b = reference.copy(inside);
  EXPECT_EQ(PixelsWithoutNeighbour(a, b), 0);
  EXPECT_EQ(PixelsWithoutNeighbour(b, a), 0);
}

}  // namespace
