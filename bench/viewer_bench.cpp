// viewer_bench: what the history viewer's user waits for, with 128 channels, offscreen at
// 1600 x 900. The real window is driven through the handlers its buttons call, and every timed
// step ends when the window has been painted through its backing store, as the event loop
// paints it after the handler:
//   open       "Open History Data" on a file of 20,000 records: the whole first page plotted;
//   page       ">>" on a file of 250,000 records: the next page of 20,000 records;
//   search     "Search" of a 200,000-record window of the 250,000-record file;
//   search_end "Search" of a 20,000-record window at the end of a 1 GiB file (unless --no-1gb);
//   crosshair  one mouse move over the chart: the cross-hair and the read-out of 128 channels;
//   export     "Export to Excel" of 50,000 records, all channels, into a temporary file.
// The files are generated into a temporary directory (the current directory meanwhile, so the
// viewer's DevName.dat lands there too): smooth curves with noise, one record a second.
//
// Prints one line per case, then, last, exactly
//   open_ms_median=<x> page_ms_median=<x> search200k_ms_median=<x> crosshair_ms_median=<x>
//   export_mvalues_s=<x>
// (on one line; export_mvalues_s is the median round's millions of values written per second).
// Usage: viewer_bench [rounds] [--no-1gb] [--only <case>]   (default 7 rounds; a case not run
// prints 0)

#include <QApplication>
#include <QDateEdit>
#include <QMouseEvent>
#include <QTimeEdit>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "common/DateTime.h"
#include "common/HistoryFile.h"
#include "history/DatePickers.h"
#include "history/ExportForm.h"
#include "history/Form1.h"
#include "history/OpenDialog.h"
#include "platform/gui/Chart.h"
#include "platform/gui/Dialogs.h"
#include "tests/support/HistoryFileBuilder.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kDefaultRounds = 7;
constexpr int kWindowWidth = 1600;
constexpr int kWindowHeight = 900;
constexpr int kChannels = 128;
constexpr std::int64_t kPageFileRecords = 20000;
constexpr std::int64_t kLongFileRecords = 250000;
constexpr std::int64_t kSearchRecords = 200000;
constexpr std::int64_t kGiBFileRecords = (std::int64_t{1} << 30) / (kChannels * 4);
constexpr std::int64_t kEndSearchRecords = 20000;
constexpr std::int64_t kExportRecords = 50000;
constexpr int kCrossHairMoves = 200;
constexpr std::int32_t kIntervalSeconds = 1;

TDateTime FileStart() { return EncodeDateTime({2024, 3, 5, 14, 0, 0, 0}); }

TDateTime Plus(TDateTime start, std::int64_t seconds) {
  return MsToDateTime(DateTimeToMs(start) + seconds * 1000);
}

// A history file of 128 channels named Meter<m>Ch<c>: each channel a slow wave between 100 and
// 900 with noise of +-20.
void WriteHistoryFile(const std::string& path, std::int64_t records) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> noise(-20.0f, 20.0f);
  THistoryFileBuilder(kChannels)
      .Start(FileStart())
      .Interval(kIntervalSeconds)
      .Names([](int i) {
        return THistoryFileBuilder::SlotName{"Meter" + std::to_string(i / 48),
                                             "Ch" + std::to_string(i % 48)};
      })
      .Records(records)
      .Values([&](std::int64_t k, int i) {
        const double wave =
            std::sin(2 * std::numbers::pi * (static_cast<double>(k) / (600.0 + 37.0 * i)) + i);
        return static_cast<float>(500 + 400 * wave) + noise(random);
      })
      .Write(path);
}

// Paints whatever the last step left to paint, as the event loop does after a handler.
void PaintPending() { QApplication::processEvents(); }

// Times `step` followed by the window's repaint, `rounds` times; `before` runs untimed first.
std::vector<double> Time(int rounds, const std::function<void()>& before,
                         const std::function<void()>& step) {
  std::vector<double> samples;
  for (int round = 0; round < rounds; ++round) {
    if (before) before();
    PaintPending();
    const Clock::time_point start = Clock::now();
    step();
    PaintPending();
    samples.push_back(MsSince(start));
  }
  return samples;
}

double Report(const char* name, const char* what, const std::vector<double>& samples) {
  const double median = Median(samples);
  std::printf("%s: %s, %zu rounds: median_ms=%.2f min_ms=%.2f max_ms=%.2f\n", name, what,
              samples.size(), median, *std::min_element(samples.begin(), samples.end()),
              *std::max_element(samples.begin(), samples.end()));
  std::fflush(stdout);
  return median;
}

void Open(TForm1& form, const std::string& path) {
  ScopedOpenDialogHook pick([&path](const QString&) { return QString::fromStdString(path); });
  form.but_open_histr_dataClick();
}

void SetSearch(TForm1& form, TDateTime start, TDateTime end) {
  SetPickerDateTime(*form.DateTimer_give_date, start);
  SetPickerDateTime(*form.DateTimer_give_time, start);
  SetPickerDateTime(*form.DateTimePickerEndDate, end);
  SetPickerDateTime(*form.DateTimePickerEndTime, end);
}

// The window of `records` records from record `first`: its end is the label of its last record.
void SearchWindow(TForm1& form, std::int64_t first, std::int64_t records) {
  SetSearch(form, Plus(FileStart(), first * kIntervalSeconds),
            Plus(FileStart(), (first + records - 1) * kIntervalSeconds));
  form.Button1Click();
}

void CheckPoints(const TForm1& form, std::int64_t points, const char* step) {
  const std::int64_t shown = form.View().HistoryViewState().PointsShown;
  if (shown != points) {
    std::fprintf(stderr, "%s showed %lld points, not %lld\n", step,
                 static_cast<long long>(shown), static_cast<long long>(points));
    std::exit(1);
  }
}

void MoveMouse(QWidget& chart, const QPoint& at) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), chart.mapToGlobal(QPointF(at)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&chart, &move);
}

double ExportValuesPerSecond(const TForm1& form, int rounds, const std::string& exportPath) {
  // Shown, as the user has it while the export runs: its gauge repaints as the lines go out.
  TForm2 dialog(form.View());
  dialog.show();
  const THistoryViewState& state = form.View().HistoryViewState();
  dialog.ShowFileRange(state.FileStartTime, state.FileEndTime);
  const TDateTime end = Plus(FileStart(), (kExportRecords - 1) * kIntervalSeconds);
  SetPickerDateTime(*dialog.DateTimePicker_histr_enddate, end);
  SetPickerDateTime(*dialog.DateTimePicker_histr_endtime, end);
  const ScopedSaveDialogHook save(
      [&exportPath](const TSaveDialog&) { return QString::fromStdString(exportPath); });
  const std::vector<double> samples = Time(rounds, nullptr, [&] { dialog.Button1Click(); });
  const std::int64_t lines = kExportRecords;
  const std::uintmax_t size = std::filesystem::file_size(exportPath);
  const double median = Median(samples);
  const double values = static_cast<double>(lines * kChannels);
  std::printf("export: %lld records x %d channels (%.1f MB), %d rounds: median_ms=%.1f "
              "min_ms=%.1f mvalues_s=%.2f\n",
              static_cast<long long>(lines), kChannels, size / 1e6, rounds, median,
              *std::min_element(samples.begin(), samples.end()), values / median / 1000);
  std::fflush(stdout);
  return values / median / 1000;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = kDefaultRounds;
  bool gibFile = true;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-1gb") == 0) {
      gibFile = false;
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else {
      rounds = std::max(1, std::atoi(argv[i]));
    }
  }
  auto wanted = [&](const char* name) { return only.empty() || only == name; };
  gibFile = gibFile && wanted("search_end");
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Olvesk"));
  // A problem would otherwise wait for a click in a box nobody sees.
  const ScopedErrorBoxHook errors(
      [](const QString& text) { std::fprintf(stderr, "error box: %s\n", qPrintable(text)); });
  const ScopedMessageBoxHook messages([](const QString& text, const QString&, TMsgButtons) {
    if (!text.startsWith(QStringLiteral("Data Export is finished"))) {
      std::fprintf(stderr, "message box: %s\n", qPrintable(text));
    }
    return int{mrOk};
  });

  TempDir dir;
  const std::filesystem::path previousDir = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  const std::string pageFile = dir.File("page.vq");
  const std::string longFile = dir.File("long.vq");
  const std::string gibPath = dir.File("gib.vq");
  if (wanted("open") || wanted("crosshair")) WriteHistoryFile(pageFile, kPageFileRecords);
  if (wanted("page") || wanted("search200k") || wanted("export")) {
    WriteHistoryFile(longFile, kLongFileRecords);
  }
  if (gibFile) WriteHistoryFile(gibPath, kGiBFileRecords);

  auto form = std::make_unique<TForm1>();
  form->FormCreate();
  form->setWindowState(Qt::WindowNoState);
  form->resize(kWindowWidth, kWindowHeight);
  form->show();
  PaintPending();
  TChart& chart = *form->Chart2;

  double open = 0;
  if (wanted("open")) {
    open = Report("open", "20,000 records x 128 channels",
                  Time(rounds, nullptr, [&] { Open(*form, pageFile); }));
    CheckPoints(*form, kPageFileRecords, "open");
  }

  double page = 0;
  if (wanted("page")) {
    page = Report(
        "page", "\">>\" to 20,000 records of a 250,000-record file",
        Time(rounds, [&] { Open(*form, longFile); }, [&] { form->Button_histr_nextClick(); }));
    CheckPoints(*form, kPageFileRecords, ">>");
  }

  double search = 0;
  if (wanted("search200k")) {
    Open(*form, longFile);
    search = Report("search200k", "200,000-record window of a 250,000-record file",
                    Time(rounds, nullptr, [&] { SearchWindow(*form, 10000, kSearchRecords); }));
    CheckPoints(*form, kSearchRecords, "search");
  }

  double searchEnd = 0;
  if (gibFile) {
    Open(*form, gibPath);
    searchEnd = Report("search_end", "20,000-record window at the end of a 1 GiB file",
                       Time(rounds, nullptr, [&] {
                         SearchWindow(*form, kGiBFileRecords - kEndSearchRecords,
                                      kEndSearchRecords);
                       }));
    CheckPoints(*form, kEndSearchRecords, "search at the end");
  }

  // The cross-hair over the first page: moves across the plot, each one painted.
  double crossHair = 0;
  if (wanted("crosshair")) {
    Open(*form, pageFile);
    PaintPending();
    const QRect plot = chart.PlotRect();
    int move = 0;
    crossHair = Report("crosshair", "one mouse move over 128 curves of 20,000 points",
                       Time(kCrossHairMoves, nullptr, [&] {
                         const int x = plot.left() + 1 + (move * 7) % (plot.width() - 2);
                         const int y = plot.top() + 1 + (move * 13) % (plot.height() - 2);
                         ++move;
                         MoveMouse(chart, QPoint(x, y));
                       }));
  }

  double exportRate = 0;
  if (wanted("export")) {
    Open(*form, longFile);
    exportRate = ExportValuesPerSecond(*form, rounds, dir.File("export.xls"));
  }

  std::printf("search_end_1gb_ms_median=%.2f\n", searchEnd);
  std::printf("open_ms_median=%.2f page_ms_median=%.2f search200k_ms_median=%.2f "
              "crosshair_ms_median=%.3f export_mvalues_s=%.2f\n",
              open, page, search, crossHair, exportRate);
  form.reset();
  std::filesystem::current_path(previousDir);
  return 0;
}
