// tick_bench: what one supervision tick costs in the running station at its largest table, 120
// Ethernet meters of 48 channels, and what the Overview and trend pages' repaints cost after it.
//
// The station runs for real: its window (offscreen, 1600 x 900) enters run mode through
// EnterRunMode, whose Ethernet polling thread polls the 120 meters over loopback TCP from a
// scripted slave serving addresses 1..120, while the bench calls the tick itself (the
// supervision timer is stopped; a fake clock moves on one second per tick). The polling thread's
// pauses are cut to a few milliseconds, so that between two ticks it polls about a third of the
// meters; it keeps polling while a tick runs. Every meter records a text row in every tick and
// so does the history file.
//
// Values (1 decimal, limits LLA 5, LA 10, HA 90, HHA 95): every channel follows a slow wave
// between 20 and 80; one channel in 12 jumps to 92 (above HA) at every other tick, so alarms
// open and close on some hundred channels per tick; one channel in 37 stays at 97 (HA and HHA).
// Before the first timed tick every trend curve is filled with 1,000 points of such values. The
// alarm window blinks in every tick and the alarm sound (a short WAV) plays every fourth.
//
// Phases: after kWarmUpTicks untimed ticks, `ticks` ticks with the Overview page shown (each tick timed, then the Overview's
// repaint), then kTrendTicks ticks with the trend page shown, its axis at 0..100, timing the
// trend chart's repaint after each tick through the backing store, all 5,760 curves visible.
//
// Prints details, then, last, exactly
//   "tick_ms_median=<a> tick_ms_p99=<b> paint_ms_median=<c> trend_ms_median=<d>".
// Usage: tick_bench [ticks]   (default 200)

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "platform/Clock.h"
#include "platform/gui/Chart.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/app/AlarmForm.h"
#include "station/app/parts/ConfigFile.h"
#include "station/app/MainForm.h"
#include "station/app/OverviewCanvas.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

constexpr int kDefaultTicks = 200;
constexpr int kWindowWidth = 1600;
constexpr int kWindowHeight = 900;
// Ticks with the trend page shown (each repaint draws 5,760 curves of 1,000 points).
constexpr int kTrendTicks = 20;
constexpr int kTrendPoints = 1000;
constexpr int kWarmUpTicks = 3;
// The polling thread's pauses (300 ms before each receive, 50 ms between two connections) are
// divided by this.
constexpr int kSleepDivisor = 300;
// Polls between two ticks: about a third of the meters.
constexpr std::size_t kPollsPerTick = 40;
constexpr int kPollWaitMs = 10000;
// Limits and values, in tenths (the channels have 1 decimal).
constexpr float kLLA = 5, kLA = 10, kHA = 90, kHHA = 95;
constexpr int kWaveMiddle = 500;
constexpr int kWaveAmplitude = 300;
constexpr int kJumpValue = 920;   // above HA, below HHA
constexpr int kStuckValue = 970;  // above HHA
constexpr int kJumpEvery = 12;
constexpr int kStuckEvery = 37;
constexpr const char* kTrendLow = "0";
constexpr const char* kTrendHigh = "100";

// The register value of meter m's channel c in tick t.
std::int16_t Register(int m, int c, int t) {
  const int n = m * kMaxChannels + c;
  if (n % kStuckEvery == 0) return kStuckValue;
  if (c % kJumpEvery == m % kJumpEvery && (t + m) % 2 == 1) return kJumpValue;
  const double wave = std::sin(2 * std::numbers::pi * t / (60.0 + c) + 0.7 * m);
  return static_cast<std::int16_t>(kWaveMiddle + std::lround(kWaveAmplitude * wave));
}

void FillTable(MeterTable& table, int tcpPort) {
  for (int m = 0; m < kMaxMeters; ++m) {
    TMeterRecord& meter = table.Meters[m];
    meter.Clear();
    WriteFixedText(meter.Name, "Meter" + std::to_string(m));
    meter.SlaveAddress = static_cast<std::uint8_t>(m + 1);
    meter.ChannelCount = kMaxChannels;
    meter.CommCode = 0;  // input registers
    meter.CommMode = 1;  // Ethernet
    meter.StartRegister = 0;
    meter.RecordInterval = 1;
    meter.TcpPort = tcpPort;
    WriteFixedText(meter.IpAddress, "127.0.0.1");
    for (int ch = 0; ch < kMaxChannels; ++ch) {
      TChannelRecord& channel = meter.Channels[ch];
      channel.Decimals = 1;
      channel.Colour = static_cast<std::int32_t>((static_cast<unsigned>(m * 48 + ch) * 2654435761u >> 8) & 0xFFFFFF);
      channel.LLA = kLLA;
      channel.LA = kLA;
      channel.HA = kHA;
      channel.HHA = kHHA;
      WriteFixedText(channel.Name, "Ch" + std::to_string(ch));
      WriteFixedText(channel.Unit, "kPa");
    }
  }
  table.MeterCount = kMaxMeters;
}

// The meters' registers for tick t.
void SetRegisters(ScriptedSlave& slave, int t) {
  std::vector<std::uint16_t> values(kMaxChannels);
  for (int m = 0; m < kMaxMeters; ++m) {
    for (int c = 0; c < kMaxChannels; ++c) values[c] = static_cast<std::uint16_t>(Register(m, c, t));
    slave.SetInputBlock(static_cast<std::uint8_t>(m + 1), 0, values);
  }
}

// Every trend curve full: the values of the kTrendPoints ticks before tick 0.
void FillTrend(Tfm_MainForm& form) {
  for (int t = -kTrendPoints; t < 0; ++t) {
    const std::string label = FormatDateTime(kDisplayDateTimePattern, t / 86400.0 + 43800);
    int series = 0;
    for (int m = 0; m < kMaxMeters; ++m) {
      for (int c = 0; c < kMaxChannels; ++c) form.Animate(series++, label, Register(m, c, t) / 10.0);
    }
  }
}

// A short alarm sound (a 16-bit mono WAV of 0.2 s of silence), so that the alarm step's sound
// goes through the audio system as the station's Alarm.wav does.
void WriteAlarmSound(const std::string& path) {
  constexpr std::uint32_t kRate = 8000;
  constexpr std::uint32_t kDataBytes = kRate / 5 * 2;
  auto u32 = [](std::ofstream& out, std::uint32_t v) { out.write(reinterpret_cast<char*>(&v), 4); };
  auto u16 = [](std::ofstream& out, std::uint16_t v) { out.write(reinterpret_cast<char*>(&v), 2); };
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  u32(out, 36 + kDataBytes);
  out.write("WAVEfmt ", 8);
  u32(out, 16);
  u16(out, 1);  // PCM
  u16(out, 1);  // mono
  u32(out, kRate);
  u32(out, kRate * 2);
  u16(out, 2);
  u16(out, 16);
  out.write("data", 4);
  u32(out, kDataBytes);
  const std::string silence(kDataBytes, '\0');
  out.write(silence.data(), kDataBytes);
}

// Lets the polling thread poll kPollsPerTick meters with the tick's registers, handling the
// window's events (status texts, repaints) meanwhile.
void PollBetweenTicks(ScriptedSlave& slave, int t) {
  SetRegisters(slave, t);
  slave.ClearRequests();
  const Clock::time_point start = Clock::now();
  while (slave.RequestCount() < kPollsPerTick) {
    QApplication::processEvents();
    if (MsSince(start) > kPollWaitMs) {
      std::fprintf(stderr, "the polling thread polls no meter\n");
      std::exit(1);
    }
    RealSleepMs(1);
  }
  QApplication::processEvents();
}

// Repaints the visible part of a widget at once, through the window's backing store as the
// event loop would. (QWidget::render would first walk every widget of the window, hidden pages
// included, which a real repaint never does.)
double Repaint(QWidget& widget) {
  const QRect visible = widget.visibleRegion().boundingRect();
  const Clock::time_point start = Clock::now();
  widget.repaint(visible);
  return MsSince(start);
}

struct TickRun {
  std::vector<double> tickMs;
  std::vector<double> paintMs;
};

double TimedTick(Tfm_MainForm& form, ScopedFakeClock& clock) {
  clock.AdvanceSeconds(1);
  const Clock::time_point start = Clock::now();
  form.timer_PerSecondTimer();
  return MsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultTicks;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // A problem would otherwise wait for a click in an error box nobody sees.
  const ScopedErrorBoxHook errors(
      [](const QString& text) { std::fprintf(stderr, "error box: %s\n", qPrintable(text)); });

  std::vector<std::uint8_t> addresses;
  for (int m = 0; m < kMaxMeters; ++m) addresses.push_back(static_cast<std::uint8_t>(m + 1));
  ScriptedSlave slave(addresses);
  const int port = slave.StartTcp();
  SetRegisters(slave, 0);
  const ScopedFastSleep fastPauses(kSleepDivisor);

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
  FillTable(form->Configuration().Table(), port);
  form->resize(kWindowWidth, kWindowHeight);
  form->show();
  QApplication::processEvents();
  WriteAlarmSound(dir.File("Alarm.wav"));
  form->SetAlarmSoundPath(dir.File("Alarm.wav"));
  form->GSMedAlarmDelayT->setText("0");
  form->EnterRunMode();
  form->timer_PerSecond->stop();  // the bench calls the ticks
  // As the program's entry does: the alarm window, then the ticks may begin.
  auto alarmWindow = std::make_unique<TFormAlarm>();
  form->SetAlarmWindow(*alarmWindow);
  form->StartupFinished();
  form->pgContr_MainForm->SetActivePage(form->tabSheet_GenervalView);
  FillTrend(*form);
  QApplication::processEvents();

  // The first ticks of a run open the alarm rows of every channel already in alarm and create
  // every meter's text file: they are run, not timed.
  for (int tick = -kWarmUpTicks; tick < 0; ++tick) {
    PollBetweenTicks(slave, tick);
    TimedTick(*form, clock);
    QApplication::processEvents();
  }
  TickRun run;
  const int rowsBefore = form->strgGrid_AlarmRecList->RowCount();
  for (int tick = 0; tick < ticks; ++tick) {
    PollBetweenTicks(slave, tick);
    run.tickMs.push_back(TimedTick(*form, clock));
    QApplication::processEvents();  // the changed tiles' repaint, as the event loop would do
    run.paintMs.push_back(Repaint(*form->overviewCanvas));
  }
  const int rowsOpened = form->strgGrid_AlarmRecList->RowCount() - rowsBefore;

  form->ed_CurvesMix->setText(kTrendLow);
  form->ed_CurvesMax->setText(kTrendHigh);
  form->btn_SetCurvesRangeClick();
  form->pgContr_MainForm->SetActivePage(form->tabSheet_RealTimeCurves);
  QApplication::processEvents();
  TChart& chart = *form->chart_RealTimeCurves;
  std::vector<double> trendMs;
  for (int tick = ticks; tick < ticks + kTrendTicks; ++tick) {
    PollBetweenTicks(slave, tick);
    TimedTick(*form, clock);
    trendMs.push_back(Repaint(chart));
    QApplication::processEvents();  // the rest of the window's repaint after the tick
  }
  form->EnterConfigMode();  // joins the polling thread
  alarmWindow.reset();

  const QSize viewport = form->scrBox_GeneralView->viewport()->size();
  std::printf("ticks=%d channels=%d viewport=%dx%d columns=%d alarm_rows_opened_per_tick=%.1f\n",
              ticks, form->Cycle().Tiles().Count(), viewport.width(), viewport.height(),
              form->overviewCanvas->Layout().Columns, static_cast<double>(rowsOpened) / ticks);
  std::printf("tick_ms_max=%.3f tick_ms_p90=%.3f paint_ms_max=%.3f\n",
              *std::max_element(run.tickMs.begin(), run.tickMs.end()),
              Percentile(run.tickMs, 0.9),
              *std::max_element(run.paintMs.begin(), run.paintMs.end()));
  std::printf("trend_ticks=%d chart=%dx%d curves=%d trend_ms_max=%.3f\n", kTrendTicks,
              chart.width(), chart.height(), chart.SeriesCount(),
              *std::max_element(trendMs.begin(), trendMs.end()));
  std::printf("tick_ms_median=%.3f tick_ms_p99=%.3f paint_ms_median=%.3f trend_ms_median=%.3f\n",
              Median(run.tickMs), Percentile(run.tickMs, 0.99), Median(run.paintMs),
              Median(trendMs));
  return 0;
}
