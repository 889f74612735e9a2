#pragma once
// The supervision cycle without a window: a meter table filled by the test, a temporary
// application directory, a fake clock with ticks given one second apart, and a view that keeps
// what the window would show.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/AppPaths.h"
#include "common/Now.h"
#include "station/app/supervision/SupervisionCycle.h"
#include "tests/app/supervision/CycleTestData.h"
#include "tests/support/TestSupport.h"

// What the window would show, kept as plain values.
class RecordingView : public TickView {
 public:
  void ShowClock(const std::string& text) override { Clock = text; }
  void Animate(int series, const std::string& label, double value) override {
    Trend.push_back({series, label, value});
  }
  void ShowChangedTiles() override { ++TileShows; }
  void ShowAlarmRow(int row, const AlarmRow& cells, bool opened) override {
    if (opened) Grid.resize(row + 1);
    Grid[row] = cells;
  }
  void ShowAlarmRecordsReset(const AlarmRow& header) override { Grid.assign(1, header); }
  bool AlarmSilenceRequested() override { return Silence; }
  void ShowAlarm(const AlarmActions& actions) override { Alarms.push_back(actions); }
  void HideAlarmWindow() override { ++Hides; }
  std::string AlarmDelayText() override { return Page.DelayText; }
  bool SmsAlarmOn() override { return SmsOn; }
  SmsPage ReadSmsPage() override { return Page; }
  void ShowSmsCaption(const std::string& text) override { SmsCaption = text; }

  struct TrendPoint {
    int Series;
    std::string Label;
    double Value;
  };
  std::string Clock;
  std::vector<TrendPoint> Trend;
  int TileShows = 0;
  std::vector<AlarmRow> Grid = std::vector<AlarmRow>(1);  // the design grid: one empty row
  bool Silence = false;
  std::vector<AlarmActions> Alarms;
  int Hides = 0;
  bool SmsOn = false;  // the page locked (run mode) and switched on
  SmsPage Page;        // its Delay is also the alarm window's
  std::string SmsCaption;
};

class CycleFixture : public ::testing::Test {
 protected:
  CycleFixture() {
    SetAppDir(dir.Path());
    view.Page.DelayText = "10";
  }

  MeterTable& Table() { return *table; }
  TMeterRecord& Meter(int m) { return table->Meters[m]; }

  // Appends a meter, online, with channels named as given and values 0.
  TMeterRecord& AddMeter(const char* name, const std::vector<const char*>& channels,
                         std::int32_t interval = 1) {
    return AddTestMeter(Table(), name, channels, interval);
  }

  // What run mode does before its first tick: tiles and a recording period.
  void StartRun() {
    cycle.BuildOverviewTiles(Table());
    cycle.OpenRecordingFiles(Table(), view, reports);
  }
  // One tick, `seconds` after the last one.
  void Tick(double seconds = 1) {
    clock.AdvanceSeconds(seconds);
    cycle.RunTick(Now(), Table(), view, reports);
  }
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) Tick();
  }

  const Recorders& Recording() const { return cycle.Recording(); }
  std::string TextFile(const std::string& relative) const {
    return ReadFileBytes(dir.File(relative));
  }
  // Data rows of a text file (lines after the header).
  int RowsIn(const std::string& relative) const { return DataRows(TextFile(relative)); }
  // The reports so far, in one text as the error box would show them.
  std::string ReportText() const {
    std::string text;
    for (const std::string& report : reports) text += (text.empty() ? "" : "\n") + report;
    return text;
  }

  TempDir dir;
  ScopedFakeClock clock{kCycleStart};
  std::unique_ptr<MeterTable> table = std::make_unique<MeterTable>();
  SupervisionCycle cycle;
  RecordingView view;
  Reports reports;  // every problem handed back, in order
};
