#pragma once
// A main window in a temporary application directory with a fake clock, its meter table filled
// by the test, and ticks given one second apart: the fixture of the supervision cycle's tests.

#include <QCoreApplication>
#include <QLabel>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "station/app/MainForm.h"
#include "tests/app/supervision/CycleTestData.h"
#include "tests/platform/gui/GuiTestApp.h"
#include "tests/support/TestSupport.h"

class CycleTest : public GuiTest {
 protected:
  CycleTest() {
    SetAppDir(dir.Path());
    form = std::make_unique<Tfm_MainForm>();
  }

  MeterTable& Table() { return form->Configuration().Table(); }
  TMeterRecord& Meter(int m) { return form->Configuration().Table().Meters[m]; }

  // Appends a meter, online, with channels named as given and values 0.
  TMeterRecord& AddMeter(const char* name, const std::vector<const char*>& channels,
                         std::int32_t interval = 1) {
    return AddTestMeter(Table(), name, channels, interval);
  }

  // What run mode does before its first tick: tiles, a recording period, the mode, and the end
  // of start-up (ticks are held back until then).
  void StartRun() {
    form->BuildOverviewTiles();
    form->OpenRecordingFiles();
    form->Configuration().Access().RunModeEntered();
    form->StartupFinished();
  }

  // One tick, `seconds` after the last one.
  void Tick(double seconds = 1) {
    clock.AdvanceSeconds(seconds);
    form->timer_PerSecondTimer();
  }
  void Ticks(int count) {
    for (int i = 0; i < count; ++i) Tick();
  }

  // Lets the error boxes that a tick queued show.
  static void Settle() { QCoreApplication::processEvents(); }

  std::string ClockText() const { return form->lab_SysTime->text().toStdString(); }
  std::string TextFile(const std::string& relative) const {
    return ReadFileBytes(dir.File(relative));
  }
  // Data rows of a text file (lines after the header).
  int RowsIn(const std::string& relative) const { return DataRows(TextFile(relative)); }

  TempDir dir;
  ScopedFakeClock clock{kCycleStart};
  std::unique_ptr<Tfm_MainForm> form;
};
