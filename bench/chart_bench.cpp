// chart_bench: what one full repaint of the chart costs at its largest loads, offscreen at
// 1200 x 800:
//   trend_smooth  the station's trend, 5,760 curves of 1,000 points, slowly changing values;
//   trend_jumps   the same, every point jumping across the whole axis range and back (the worst
//                 case: every curve covers the full height of every pixel column);
//   viewer        the history viewer's page, 128 curves of 20,000 points, noisy values, legend
//                 shown.
// Before each timed repaint the trend curves scroll by one point, as in a supervision tick, and
// the viewer's picture is marked changed, as after a zoom or a search; the repaint is the
// widget's own paint into an offscreen image, as the event loop would paint it.
//
// Prints one line per case and, last, "trend_smooth_ms_median=<a> trend_jumps_ms_median=<b>
// viewer_ms_median=<c>" (0 for a case not run).
// Usage: chart_bench [rounds [case]]   (default 15 rounds, every case)

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "platform/gui/Chart.h"

namespace {

constexpr int kDefaultRounds = 15;
constexpr int kChartWidth = 1200;
constexpr int kChartHeight = 800;
// The station's largest trend: 120 meters x 48 channels, 1,000 ticks each.
constexpr int kTrendSeries = 120 * 48;
constexpr int kTrendPoints = 1000;
constexpr double kTrendLow = 0;  // the trend axis range the station starts with
constexpr double kTrendHigh = 500;
// The viewer's largest page: 128 channels, 20,000 records.
constexpr int kViewerSeries = 128;
constexpr int kViewerPoints = 20000;
constexpr double kViewerLow = 0;  // the viewer's left axis at start
constexpr double kViewerHigh = 1000;
// A smooth curve: one period over this many points, so a tick moves it about 2 units.
constexpr double kSmoothPeriod = 600;

// Distinct colours, as channels configured one by one would have.
TColor SeriesColor(int index) {
  const unsigned hash = static_cast<unsigned>(index) * 2654435761u;
  return static_cast<TColor>((hash >> 8) & 0xFFFFFF);
}

using ValueOf = std::function<float(int series, std::int64_t x)>;

float Smooth(int series, std::int64_t x, double low, double high) {
  const double middle = (low + high) / 2;
  const double amplitude = (high - low) * 0.4;
  return static_cast<float>(
      middle + amplitude * std::sin(2 * std::numbers::pi * (x + 7.3 * series) / kSmoothPeriod));
}

float Jump(int series, std::int64_t x, double low, double high) {
  return static_cast<float>((x + series) % 2 == 0 ? low : high);
}

// Times `rounds` repaints of `chart`, calling `change` before each.
double TimeRepaints(TChart& chart, int rounds, const std::function<void()>& change,
                    const char* name, int series, int points) {
  QImage image(chart.size(), QImage::Format_RGB32);
  chart.render(&image);  // warm-up: fonts, layout
  std::vector<double> samples;
  for (int round = 0; round < rounds; ++round) {
    change();
    const Clock::time_point start = Clock::now();
    chart.render(&image);
    samples.push_back(MsSince(start));
  }
  const double median = Median(samples);
  std::printf("%s: %d x %d points at %dx%d, %d rounds: median_ms=%.1f min_ms=%.1f\n", name, series,
              points, chart.width(), chart.height(), rounds, median,
              *std::min_element(samples.begin(), samples.end()));
  std::fflush(stdout);
  return median;
}

void SetUpChart(TChart& chart, const QString& title, double low, double high, bool legend) {
  chart.resize(kChartWidth, kChartHeight);
  chart.SetTitle(title);
  chart.SetTitleColor(clBlue);
  chart.SetBackColor(clWhite);
  chart.SetLegendVisible(legend);
  chart.SetLeftAxisMinMax(low, high);
}

double TrendCase(const char* name, const ValueOf& value, int rounds) {
  TChart chart;
  SetUpChart(chart, "Real Time Trend", kTrendLow, kTrendHigh, false);
  for (int s = 0; s < kTrendSeries; ++s) {
    TFastLineSeries* series = chart.AddSeries(kTrendPoints);
    series->SetColor(SeriesColor(s));
    for (int i = 0; i < kTrendPoints; ++i) series->AddY(value(s, i), " ");
  }
  int tick = 0;
  auto scroll = [&] {
    const QString label = QString("19-12-03 14:%1:%2").arg(tick / 60 % 60, 2, 10, QChar('0'))
                              .arg(tick % 60, 2, 10, QChar('0'));
    ++tick;
    for (int s = 0; s < kTrendSeries; ++s) {
      TFastLineSeries* series = chart.Series(s);
      series->DeleteFirst();
      series->AddY(value(s, series->LastX() + 1), label);
    }
  };
  return TimeRepaints(chart, rounds, scroll, name, kTrendSeries, kTrendPoints);
}

double ViewerCase(int rounds) {
  TChart chart;
  SetUpChart(chart, "History Trend", kViewerLow, kViewerHigh, true);
  chart.SetBottomAxisLabelStyle(TAxisLabelStyle::Mark);
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> noise(-30.0f, 30.0f);
  for (int s = 0; s < kViewerSeries; ++s) {
    TFastLineSeries* series = chart.AddSeries();
    series->SetTitle(QString("Meter%1Ch%2").arg(s / 48).arg(s % 48));
    for (int i = 0; i < kViewerPoints; ++i) {
      const float y = Smooth(s, i, kViewerLow, kViewerHigh) + noise(random);
      if (s == 0) {
        series->AddY(y, QString("19-12-03 %1:%2:%3").arg(i / 3600 % 24, 2, 10, QChar('0'))
                            .arg(i / 60 % 60, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')));
      } else {
        series->AddY(y);
      }
    }
  }
  return TimeRepaints(chart, rounds, [&] { chart.DataChanged(); }, "viewer", kViewerSeries,
                      kViewerPoints);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
  const std::string only = argc > 2 ? argv[2] : "";
  auto wanted = [&](const char* name) { return only.empty() || only == name; };
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  double smooth = 0;
  double jumps = 0;
  double viewer = 0;
  if (wanted("trend_smooth")) {
    smooth = TrendCase(
        "trend_smooth", [](int s, std::int64_t x) { return Smooth(s, x, kTrendLow, kTrendHigh); },
        rounds);
  }
  if (wanted("trend_jumps")) {
    jumps = TrendCase(
        "trend_jumps", [](int s, std::int64_t x) { return Jump(s, x, kTrendLow, kTrendHigh); },
        rounds);
  }
  if (wanted("viewer")) viewer = ViewerCase(rounds);
  std::printf("trend_smooth_ms_median=%.1f trend_jumps_ms_median=%.1f viewer_ms_median=%.1f\n",
              smooth, jumps, viewer);
  return 0;
}
