// ">>" and "<<": the next and the previous page of 20,000 records of the open file. Both read
// the file again for every page; they change only the curves, the page state, the page label
// and the two buttons.

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "history/Form1.h"
#include "platform/gui/Chart.h"

void TForm1::Button_histr_nextClick() {
  HistoryFileReader reader;
  if (ReopenShownFile(reader)) {
    THistoryViewState& state = HistoryViewState;
    BusyReading = 1;
    ++state.CurrentPage;
    Label_histr_pagecount->setText(
        QString::fromStdString(PageLabelText(state.PageCount, state.CurrentPage)));
    const bool endReached =
        ShowPage(reader, RecordAtOffset(state.NextPagePos, reader.ChannelCount()));
    Button_histr_back->setEnabled(true);
    Button_histr_next->setEnabled(!endReached);
    BusyReading = 0;
  }
  FinishReading();
}

void TForm1::Button_histr_backClick() {
  HistoryFileReader reader;
  THistoryViewState& state = HistoryViewState;
  // The first page has no page before it (the button is disabled there).
  if (state.PageStartPos > kHistoryHeaderSize && ReopenShownFile(reader)) {
    BusyReading = 1;
    --state.CurrentPage;
    Label_histr_pagecount->setText(
        QString::fromStdString(PageLabelText(state.PageCount, state.CurrentPage)));
    const std::int64_t pageStart = RecordAtOffset(state.PageStartPos, reader.ChannelCount());
    ShowPage(reader, std::max<std::int64_t>(0, pageStart - kPageRecordLimit));
    Button_histr_next->setEnabled(true);
    Button_histr_back->setEnabled(state.PageStartPos > kHistoryHeaderSize);
    BusyReading = 0;
  }
  FinishReading();
}

bool TForm1::ShowPage(const HistoryFileReader& reader, std::int64_t firstRecord) {
  // The curves are drawn once, when the page has been read.
  const TChartUpdate holdPicture(*Chart2);
  const TRecordTimeline timeline = TRecordTimeline::Of(reader);
  const std::int64_t first = std::min(firstRecord, timeline.RecordCount);
  const std::int64_t pageRecords =
      std::min<std::int64_t>(timeline.RecordCount - first, kPageRecordLimit);
  // Series made by paging carry no titles and the chart's own colours; only series 0 reports
  // its drawing.
  ReplaceSeries(ShownChannelCount(reader), pageRecords);
  BindAfterDrawValues(*Chart2->Series(0));
  const std::int64_t read = PlotRecords(reader, first, pageRecords, timeline.RecordTimeMs(first));
  MovePageState(reader.ChannelCount(), first, read, timeline);
  return read < kPageRecordLimit;
}
