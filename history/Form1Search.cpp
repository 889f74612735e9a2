// "Search": every record of the open file from a start to an end time, read whole (no page
// limit) into new curves that keep the side panel's colours and the aliases as titles.

#include <QCoreApplication>
#include <QDateEdit>
#include <QTimeEdit>

#include "history/ColorPanel.h"
#include "history/DatePickers.h"
#include "history/Form1.h"
#include "platform/Memory.h"
#include "platform/gui/Chart.h"
#include "platform/gui/Dialogs.h"

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
    if (refusal.empty()) {
      // The curves shown now give their memory back before the window's are made.
      const std::int64_t available = AvailableMemoryBytes();
      const std::int64_t held =
          HistoryViewState.PointsShown * Chart2->SeriesCount() * std::int64_t{sizeof(float)};
      refusal = WindowMemoryRefusal(window.Points, ShownChannelCount(reader), timeline.IntervalMs,
                                    available > 0 ? available + held : 0);
    }
    if (refusal.empty()) {
      ShowSearchWindow(reader, window, startMs);
    } else {
      ShowMessageBox(QString::fromStdString(refusal), QCoreApplication::applicationName());
    }
  }
  FinishReading();
}

void TForm1::ShowSearchWindow(const HistoryFileReader& reader, const TSearchWindow& window,
                              std::int64_t startMs) {
  // The curves are drawn once, when the window has been read.
  const TChartUpdate holdPicture(*Chart2);
  BusyReading = 1;
  const int channels = ShownChannelCount(reader);
  ReplaceSeries(channels, window.Points);
  for (int i = 0; i < channels; ++i) {
    TFastLineSeries* series = Chart2->Series(i);
    series->SetColor(ChannelControlList.at(i).ColorPanel->Color());
    series->SetTitle(QString::fromStdString(ChannelAliasTable.Alias(i)));
    BindAfterDrawValues(*series);
  }
  PlotRecords(reader, window.FirstRecord, window.Points, startMs);
  BusyReading = 0;
}
