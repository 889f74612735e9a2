// alarm_rows_bench: what one alarm row of a recording period costs in memory in the running
// station, measured at 100,000 rows.
//
// The station's window (offscreen, 1600 x 900, the "Alarm Record" page in front) holds the
// largest table, 120 meters of 48 channels, online, with names of about 20 characters. The
// bench calls the supervision tick itself, one second apart on a fake clock: in every other
// tick the four alarm flags of the channels are raised (each opens its row, in the grid and as a
// line of the alarm list file) and in the tick after they fall again (each row gets its end
// time), until 100,000 rows have opened; the grid is painted after each tick, as the event loop
// would. No polling thread runs (the flags are the bench's).
//
// The memory is the heap in use (mallinfo2), taken after the period has opened and after the
// last row has closed; ticks without any alarm are measured alike first (the control), so that
// what a tick costs anyway is not counted as the rows'. Prints details, then, last, exactly
//   "alarm_row_bytes=<bytes per row> rows=<rows>".
// Usage: alarm_rows_bench [rows]   (default 100000)

#include <malloc.h>

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "platform/Clock.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kDefaultRows = 100000;
constexpr int kWindowWidth = 1600;
constexpr int kWindowHeight = 900;
constexpr int kControlTicks = 10;

// Heap bytes in use.
long long HeapInUse() { return static_cast<long long>(mallinfo2().uordblks); }

// Resident set size in bytes.
long long Resident() {
  long long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * 4096;
}

void FillTable(MeterTable& table) {
  for (int m = 0; m < kMaxMeters; ++m) {
    TMeterRecord& meter = table.Meters[m];
    meter.Clear();
    WriteFixedText(meter.Name, "Boiler house meter " + std::to_string(m + 1));
    meter.SlaveAddress = static_cast<std::uint8_t>(m + 1);
    meter.ChannelCount = kMaxChannels;
    meter.RecordInterval = 3600;  // no text rows: only the rows are measured
    for (int ch = 0; ch < kMaxChannels; ++ch) {
      WriteFixedText(meter.Channels[ch].Name, "Outlet temperature " + std::to_string(ch + 1));
    }
    meter.Online.store(1, std::memory_order_relaxed);
  }
  table.MeterCount = kMaxMeters;
}

// Raises or clears the four flags of channels, in table order, up to `limit` of them; returns
// how many flags it set.
int SetFlags(MeterTable& table, bool raise, int limit) {
  int set = 0;
  for (int m = 0; m < kMaxMeters; ++m) {
    TMeterRecord& meter = table.Meters[m];
    for (int ch = 0; ch < kMaxChannels; ++ch) {
      for (auto* flags : {meter.LLAFlags, meter.LAFlags, meter.HAFlags, meter.HHAFlags}) {
        const bool up = raise && set < limit;
        flags[ch].store(up ? 1 : 0, std::memory_order_relaxed);
        if (up) ++set;
      }
    }
  }
  return set;
}

void Tick(Tfm_MainForm& form, ScopedFakeClock& clock) {
  clock.AdvanceSeconds(1);
  form.timer_PerSecondTimer();
  QApplication::processEvents();  // the grid's repaint, as the event loop would do
}

}  // namespace

int main(int argc, char** argv) {
  const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRows;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const ScopedErrorBoxHook errors(
      [](const QString& text) { std::fprintf(stderr, "error box: %s\n", qPrintable(text)); });

  TempDir dir;
  SetAppDir(dir.Path());
  ScopedFakeClock clock(EncodeDateTime({2019, 12, 3, 14, 5, 8, 0}));
  auto form = std::make_unique<Tfm_MainForm>();
  MeterTable& table = form->Configuration().Table();
  FillTable(table);
  form->resize(kWindowWidth, kWindowHeight);
  form->show();
  form->pgContr_MainForm->SetActivePage(form->tabSheet_AlamRecord);
  QApplication::processEvents();
  // What run mode does before its first tick, without the polling threads.
  form->BuildOverviewTiles();
  form->OpenRecordingFiles();
  form->StartupFinished();
  TStringGrid& grid = *form->strgGrid_AlarmRecList;

  Tick(*form, clock);  // the first tick's own allocations are not the rows'
  const long long controlStart = HeapInUse();
  for (int i = 0; i < kControlTicks; ++i) Tick(*form, clock);
  const long long controlPerTick = (HeapInUse() - controlStart) / kControlTicks;

  const long long heapStart = HeapInUse();
  const long long residentStart = Resident();
  int opened = 0;
  int ticks = 0;
  while (opened < wanted) {
    opened += SetFlags(table, true, wanted - opened);
    Tick(*form, clock);
    SetFlags(table, false, 0);
    Tick(*form, clock);
    ticks += 2;
  }
  grid.SetRow(grid.RowCount() - 1);  // the last rows in view, painted
  QApplication::processEvents();
  const long long heapBytes = HeapInUse() - heapStart - controlPerTick * ticks;
  const long long residentBytes = Resident() - residentStart;
  const int rows = form->Cycle().Records().RowCount() - 1;
  if (rows != opened || grid.RowCount() != rows + 1) {
    std::fprintf(stderr, "rows opened %d, records %d, grid %d\n", opened, rows,
                 grid.RowCount() - 1);
    return 1;
  }
  std::printf("ticks=%d control_bytes_per_tick=%lld heap_bytes=%lld resident_bytes=%lld\n",
              ticks, controlPerTick, heapBytes, residentBytes);
  std::printf("last_row=%s|%s|%s|%s|%s\n", qPrintable(grid.Cells(0, rows)),
              qPrintable(grid.Cells(1, rows)), qPrintable(grid.Cells(2, rows)),
              qPrintable(grid.Cells(3, rows)), qPrintable(grid.Cells(4, rows)));
  std::printf("alarm_row_bytes=%.1f rows=%d\n", static_cast<double>(heapBytes) / rows, rows);
  return 0;
}
