// tick_bench: what one supervision tick and one repaint of the Overview page cost at the largest
// table, 120 meters of 48 channels.
//
// Every meter records a text row in every tick (record interval 1) and so does the history file;
// the values change between ticks, written into the records' run-time part as the polling
// threads would, and some channels are in alarm; every channel's trend curve scrolls. The
// window is offscreen at 1280 x 900, start-up is flagged finished, and a fake clock moves on one
// second per tick. The application directory is a temporary one.
//
// Then the trend page is shown, its range set to the values' range, and for a further
// kTrendTicks ticks the trend chart's repaint after the tick is timed (every curve scrolls, so
// each is a full repaint).
//
// Prints the medians; the line before the last is "trend_paint_ms_median=<z>", the last line is
// exactly "tick_ms_median=<x> paint_ms_median=<y>" (those of the Overview ticks).
// Usage: tick_bench [ticks]   (default 120)

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "platform/gui/Chart.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "station/app/ConfigFile.h"
#include "station/app/MainForm.h"
#include "station/app/OverviewCanvas.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kDefaultTicks = 120;
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 900;
// One channel in this many is beyond its high limit.
constexpr int kAlarmEvery = 37;
// Ticks with the trend page shown (each repaint draws 5,760 curves of 1,000 points).
constexpr int kTrendTicks = 20;
// The range of the values WriteRunTimePart writes, set as the trend's axis range.
constexpr const char* kTrendLow = "-100";
constexpr const char* kTrendHigh = "1900";

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  return n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

void FillTable(MeterTable& table) {
  for (int m = 0; m < kMaxMeters; ++m) {
    TMeterRecord& meter = table.Meters[m];
    WriteFixedText(meter.Name, "Meter" + std::to_string(m));
    meter.ChannelCount = kMaxChannels;
    meter.RecordInterval = 1;
    for (int ch = 0; ch < kMaxChannels; ++ch) {
      WriteFixedText(meter.Channels[ch].Name, "Ch" + std::to_string(ch));
      WriteFixedText(meter.Channels[ch].Unit, "kPa");
    }
  }
  table.MeterCount = kMaxMeters;
}

// What the polling threads would have written since the last tick.
void WriteRunTimePart(MeterTable& table, int tick) {
  for (int m = 0; m < kMaxMeters; ++m) {
    TMeterRecord& meter = table.Meters[m];
    for (int ch = 0; ch < kMaxChannels; ++ch) {
      const int n = m * kMaxChannels + ch;
      meter.Values[ch].store(static_cast<float>((n * 7 + tick * 13) % 20000) / 10.0f - 100.0f,
                             std::memory_order_relaxed);
      meter.HAFlags[ch].store(n % kAlarmEvery == 0 ? 1 : 0, std::memory_order_relaxed);
    }
    meter.Online.store(m % 10 == 9 ? 0 : 1, std::memory_order_relaxed);
  }
}

// Repaints the visible part of the Overview canvas at once, through the window's backing store
// as the event loop would. (QWidget::render would first walk every widget of the window,
// hidden pages included, which a real repaint never does.)
double PaintOverview(Tfm_MainForm& form) {
  OverviewCanvas& canvas = *form.overviewCanvas;
  const QRect visible = canvas.visibleRegion().boundingRect();
  const Clock::time_point start = Clock::now();
  canvas.repaint(visible);
  return MsSince(start);
}

// Shows the trend page with the values' range and times the trend chart's repaint after each of
// `ticks` further ticks, through the backing store as the event loop would paint it.
std::vector<double> TrendPaints(Tfm_MainForm& form, ScopedFakeClock& clock, int firstTick,
                                int ticks) {
  form.ed_CurvesMix->setText(kTrendLow);
  form.ed_CurvesMax->setText(kTrendHigh);
  form.btn_SetCurvesRangeClick();
  form.pgContr_MainForm->SetActivePage(form.tabSheet_RealTimeCurves);
  QApplication::processEvents();
  TChart& chart = *form.chart_RealTimeCurves;
  std::vector<double> paintMs;
  for (int tick = firstTick; tick < firstTick + ticks; ++tick) {
    WriteRunTimePart(form.Table, tick);
    clock.AdvanceSeconds(1);
    form.timer_PerSecondTimer();
    const QRect visible = chart.visibleRegion().boundingRect();
    const Clock::time_point start = Clock::now();
    chart.repaint(visible);
    paintMs.push_back(MsSince(start));
    QApplication::processEvents();  // the rest of the window's repaint after the tick
  }
  return paintMs;
}

}  // namespace

int main(int argc, char** argv) {
  const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultTicks;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // A problem would otherwise wait for a click in an error box nobody sees.
  const ScopedErrorBoxHook errors(
      [](const QString& text) { std::fprintf(stderr, "error box: %s\n", qPrintable(text)); });

  TempDir dir;
  SetAppDir(dir.Path());
  // Setting the trend's range saves it into Config.dat.
  bool created = false;
  if (!CreateConfigFileIfMissing(dir.File("Config.dat"), &created).ok() || !created) {
    std::fprintf(stderr, "cannot create Config.dat in %s\n", dir.Path().c_str());
    return 1;
  }
  ScopedFakeClock clock(EncodeDateTime({2019, 12, 3, 14, 5, 8, 0}));

  auto form = std::make_unique<Tfm_MainForm>();
  FillTable(form->Table);
  form->resize(kWindowWidth, kWindowHeight);
  form->show();
  QApplication::processEvents();
  form->BuildOverviewTiles();
  form->RebuildTrendSeries();
  form->OpenRecordingFiles();
  form->StartupFinished();
  QApplication::processEvents();

  const QSize viewport = form->scrBox_GeneralView->viewport()->size();
  std::vector<double> tickMs;
  std::vector<double> paintMs;
  for (int tick = 0; tick < ticks; ++tick) {
    WriteRunTimePart(form->Table, tick);
    clock.AdvanceSeconds(1);
    const Clock::time_point start = Clock::now();
    form->timer_PerSecondTimer();
    tickMs.push_back(MsSince(start));
    QApplication::processEvents();  // the changed tiles' repaint, as the event loop would do
    paintMs.push_back(PaintOverview(*form));
  }

  std::printf("ticks=%d channels=%d viewport=%dx%d columns=%d\n", ticks,
              form->OverviewTileList.Count(), viewport.width(), viewport.height(),
              form->overviewCanvas->Layout().Columns);
  std::printf("tick_ms_max=%.3f paint_ms_max=%.3f\n",
              *std::max_element(tickMs.begin(), tickMs.end()),
              *std::max_element(paintMs.begin(), paintMs.end()));
  const std::vector<double> trendMs = TrendPaints(*form, clock, ticks, kTrendTicks);
  std::printf("trend_ticks=%d chart=%dx%d trend_paint_ms_max=%.3f\n", kTrendTicks,
              form->chart_RealTimeCurves->width(), form->chart_RealTimeCurves->height(),
              *std::max_element(trendMs.begin(), trendMs.end()));
  std::printf("trend_paint_ms_median=%.3f\n", Median(trendMs));
  std::printf("tick_ms_median=%.3f paint_ms_median=%.3f\n", Median(tickMs), Median(paintMs));
  return 0;
}
