// "Search": every record of the open file from a start to an end time, read whole (no page
// limit) into new curves that keep the side panel's colours and the aliases as titles.

#include <QCoreApplication>
#include <QDateEdit>
#include <QTimeEdit>

#include <algorithm>
#include <new>
#include <vector>

#include "history/ColorPanel.h"
#include "history/DatePickers.h"
#include "history/Form1.h"
#include "platform/Memory.h"
#include "platform/gui/Chart.h"
#include "platform/gui/Dialogs.h"

namespace {

// What a curve shows besides its points.
struct TCurveLook {
  TColor Color = clRed;
  QString Title;
  bool Active = true;
  bool LineVisible = true;
  int LineWidth = 1;
  bool AfterDrawValues = false;
};

std::vector<TCurveLook> CurveLooks(const TChart& chart) {
  std::vector<TCurveLook> looks;
  looks.reserve(static_cast<std::size_t>(chart.SeriesCount()));
  for (int i = 0; i < chart.SeriesCount(); ++i) {
    const TFastLineSeries& series = *chart.Series(i);
    looks.push_back({series.Color(), series.Title(), series.Active(), series.LineVisible(),
                     series.LineWidth(), static_cast<bool>(series.OnAfterDrawValues)});
  }
  return looks;
}

}  // namespace

void TForm1::Button1Click() {
  const std::int64_t startMs =
      DateTimeToMs(PickedDateTime(*DateTimer_give_date, *DateTimer_give_time));
  const std::int64_t endMs =
      DateTimeToMs(PickedDateTime(*DateTimePickerEndDate, *DateTimePickerEndTime));
  const SearchRangeError rangeError =
      CheckSearchRange(startMs, endMs, DateTimeToMs(HistoryViewState.FileStartTime),
                       DateTimeToMs(HistoryViewState.FileEndTime));
  if (rangeError != SearchRangeError::None) {
    ShowMessageBox(QString::fromUtf8(SearchRangeMessage(rangeError)),
                   QCoreApplication::applicationName());
    return;
  }
  HistoryFileReader reader;
  if (ReopenShownFile(reader)) {
    // A file shown with a record interval of 0 has no record at a time to start from.
    std::string refusal = HistoryFileRefusal(reader);
    const TRecordTimeline timeline = TRecordTimeline::Of(reader);
    const TSearchWindow window =
        refusal.empty() ? SearchWindow(timeline, startMs, endMs) : TSearchWindow{};
    // A window is read whole, so one whose values cannot be held is refused before any is read.
    std::int64_t usable = 0;
    if (refusal.empty()) {
      // The curves shown now give their memory back before the window's are made.
      const std::int64_t available = AvailableMemoryBytes();
      const std::int64_t held =
          HistoryViewState.PointsShown * Chart2->SeriesCount() * std::int64_t{sizeof(float)};
      usable = available > 0 ? available + held : 0;
      refusal = WindowMemoryRefusal(window.Points, ShownChannelCount(reader), timeline.IntervalMs,
                                    usable);
    }
    if (refusal.empty()) refusal = ShowSearchWindow(reader, window, startMs, usable);
    if (!refusal.empty()) {
      ShowMessageBox(QString::fromStdString(refusal), QCoreApplication::applicationName());
    }
  }
  FinishReading();
}

std::string TForm1::ShowSearchWindow(const HistoryFileReader& reader, const TSearchWindow& window,
                                     std::int64_t startMs, std::int64_t availableBytes) {
  // The curves are drawn once, when the window has been read.
  const TChartUpdate holdPicture(*Chart2);
  const TShownRecords before = shownRecords_;
  const std::vector<TCurveLook> looks = CurveLooks(*Chart2);
  const int channels = ShownChannelCount(reader);
  BusyReading = 1;
  try {
    ReplaceSeries(channels, window.Points);
    for (int i = 0; i < channels; ++i) {
      TFastLineSeries* series = Chart2->Series(i);
      series->SetColor(ChannelControlList.at(i).ColorPanel->Color());
      series->SetTitle(QString::fromStdString(ChannelAliasTable.Alias(i)));
      BindAfterDrawValues(*series);
    }
    PlotRecords(reader, window.FirstRecord, window.Points, startMs);
    BusyReading = 0;
    return {};
  } catch (const std::bad_alloc&) {
    // The limits counted by the check left more than the system could give after all: the
    // window's curves give their memory back and the curves shown before are read again.
    Chart2->RemoveAllSeries();
  }
  try {
    ReplaceSeries(static_cast<int>(looks.size()), before.Count);
    for (std::size_t i = 0; i < looks.size(); ++i) {
      TFastLineSeries& series = *Chart2->Series(static_cast<int>(i));
      series.SetColor(looks[i].Color);
      series.SetTitle(looks[i].Title);
      series.SetActive(looks[i].Active);
      series.SetLineVisible(looks[i].LineVisible);
      series.SetLineWidth(looks[i].LineWidth);
      if (looks[i].AfterDrawValues) BindAfterDrawValues(series);
    }
    PlotRecords(reader, before.First, before.Count, before.FirstLabelMs);
  } catch (const std::bad_alloc&) {
    Chart2->RemoveAllSeries();  // not even those fit now: the refusal says why
    HistoryViewState.PointsShown = 0;
  }
  BusyReading = 0;
  // At most the window's own size was there to be had: the refusal names a shorter window.
  const std::int64_t windowBytes =
      window.Points * std::int64_t{std::max(channels, 1)} * std::int64_t{sizeof(float)};
  const std::int64_t known =
      availableBytes > 0 ? std::min(availableBytes, windowBytes) : windowBytes;
  return WindowMemoryRefusal(window.Points, channels, TRecordTimeline::Of(reader).IntervalMs,
                             std::max<std::int64_t>(known, 1));
}
