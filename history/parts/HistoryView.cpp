#include "history/parts/HistoryView.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "platform/Memory.h"

namespace {

// Records are read sequentially in blocks of about this many bytes (one read per block rather
// than one per record).
constexpr std::int64_t kReadBlockBytes = 1024 * 1024;

// Holds the sink's picture for as long as it lives, also when the reading raises.
class THeldPicture {
 public:
  explicit THeldPicture(THistoryCurveSink& sink) : sink_(sink) { sink_.BeginUpdate(); }
  ~THeldPicture() { sink_.EndUpdate(); }
  THeldPicture(const THeldPicture&) = delete;
  THeldPicture& operator=(const THeldPicture&) = delete;

 private:
  THistoryCurveSink& sink_;
};

}  // namespace

THistoryView::THistoryView(FileSystem& files)
    : files_(files), reader_(std::make_unique<HistoryFileReader>(files)) {}

void THistoryView::SetCurveSelected(int channel, bool selected) {
  if (channel >= 0 && channel < kViewerMaxChannels) curveSelected_[channel] = selected ? 1 : 0;
}

// ---- Start-up and aliases --------------------------------------------------------------------

std::string THistoryView::Start(const std::string& currentDir) {
  curveSelected_.fill(1);
  state_.CurrentDir = currentDir;
  return LoadAliases();
}

std::string THistoryView::LoadAliases() {
  const FileStatus status = aliases_.Load(AliasFilePath(state_.CurrentDir));
  if (status.ok()) return {};
  return status.Message + ". The channel names stay empty.";
}

std::string THistoryView::SetAlias(int k, std::string_view text) {
  if (k < 0 || k >= kAliasChannels) return {};
  aliases_.SetAlias(k, text);
  const FileStatus saved = aliases_.Save(AliasFilePath(state_.CurrentDir));
  if (saved.ok()) return {};
  return saved.Message + ". The new channel name is kept until the viewer closes.";
}

// ---- Opening a file --------------------------------------------------------------------------

std::unique_ptr<HistoryFileReader> THistoryView::OpenShowable(const std::string& path,
                                                               std::string& refusal) const {
  auto reader = std::make_unique<HistoryFileReader>(files_);
  const FileStatus status = reader->Open(path);
  if (!status.ok() && status.Error != FileError::BadContent) return nullptr;
  refusal = status.ok() ? HistoryFileShowRefusal(*reader) : status.Message;
  if (!refusal.empty()) return nullptr;
  return reader;
}

bool THistoryView::ReopenShown(std::string& refusal) {
  std::unique_ptr<HistoryFileReader> reopened = OpenShowable(state_.HistoryFilePath, refusal);
  if (!reopened || ShownChannelCount(*reopened) != shownChannels_) return false;
  reader_ = std::move(reopened);
  return true;
}

THistoryView::TOpened THistoryView::Open(const std::string& path) {
  TOpened opened;
  // The file shown stays the view's until the one picked is known to be showable.
  std::unique_ptr<HistoryFileReader> picked = OpenShowable(path, opened.Refusal);
  if (!picked) return opened;
  reader_ = std::move(picked);
  opened.Shown = true;
  opened.Notice = ChannelCutNotice(*reader_);
  const TRecordTimeline timeline = TRecordTimeline::Of(*reader_);
  state_.HistoryFilePath = reader_->Path();
  state_.PageCount = PageCountFor(timeline.RecordCount, kPageRecordLimit);
  state_.CurrentPage = 1;
  state_.FileStartTime = MsToDateTime(timeline.StartMs);
  state_.FileEndTime = MsToDateTime(timeline.EndMs());
  // Every new check box starts checked.
  curveSelected_.fill(1);
  shownChannels_ = ShownChannelCount(*reader_);
  return opened;
}

TDateTime THistoryView::FirstPageEnd() const {
  const TRecordTimeline timeline = TRecordTimeline::Of(*reader_);
  return MsToDateTime(
      timeline.RecordTimeMs(std::min<std::int64_t>(timeline.RecordCount, kPageRecordLimit)));
}

THistoryView::TPageTurn THistoryView::ReadFirstPage(THistoryCurveSink& sink) {
  sink.BeginReading();
  const bool endReached = ReadPage(sink, THistoryCurveSink::TCurves::Opened, 0);
  sink.EndReading();
  TPageTurn turn;
  turn.Read = true;
  turn.NextEnabled = !endReached;
  return turn;
}

// ---- Paging ----------------------------------------------------------------------------------

THistoryView::TPageTurn THistoryView::NextPage(THistoryCurveSink& sink) {
  TPageTurn turn;
  if (!ReopenShown(turn.Refusal)) return turn;
  ++state_.CurrentPage;
  sink.BeginReading();
  const bool endReached = ReadPage(sink, THistoryCurveSink::TCurves::Paged,
                                  RecordAtOffset(state_.NextPagePos, reader_->ChannelCount()));
  turn.Read = true;
  turn.BackEnabled = true;
  turn.NextEnabled = !endReached;
  sink.EndReading();
  return turn;
}

THistoryView::TPageTurn THistoryView::PreviousPage(THistoryCurveSink& sink) {
  TPageTurn turn;
  // The first page has no page before it (the button is disabled there).
  if (state_.PageStartPos <= kHistoryHeaderSize || !ReopenShown(turn.Refusal)) return turn;
  --state_.CurrentPage;
  sink.BeginReading();
  const std::int64_t pageStart = RecordAtOffset(state_.PageStartPos, reader_->ChannelCount());
  ReadPage(sink, THistoryCurveSink::TCurves::Paged,
           std::max<std::int64_t>(0, pageStart - kPageRecordLimit));
  turn.Read = true;
  turn.NextEnabled = true;
  turn.BackEnabled = state_.PageStartPos > kHistoryHeaderSize;
  sink.EndReading();
  return turn;
}

bool THistoryView::ReadPage(THistoryCurveSink& sink, THistoryCurveSink::TCurves kind,
                            std::int64_t firstRecord) {
  // The curves are drawn once, when the page has been read, not at each step of the gauge.
  const THeldPicture held(sink);
  const TRecordTimeline timeline = TRecordTimeline::Of(*reader_);
  const std::int64_t first = std::min(firstRecord, timeline.RecordCount);
  const std::int64_t pageRecords =
      std::min<std::int64_t>(timeline.RecordCount - first, kPageRecordLimit);
  sink.ReplaceCurves(kind, ShownChannelCount(*reader_), pageRecords);
  const std::int64_t read = ReadRecords(sink, first, pageRecords, timeline.RecordTimeMs(first));
  MovePageState(first, read, timeline);
  return read < kPageRecordLimit;
}

void THistoryView::MovePageState(std::int64_t firstRecord, std::int64_t recordsRead,
                                 const TRecordTimeline& timeline) {
  const int channels = reader_->ChannelCount();
  state_.PageStartPos = OffsetOfRecord(firstRecord, channels);
  state_.NextPagePos = OffsetOfRecord(firstRecord + recordsRead, channels);
  state_.PageStartTime = MsToDateTime(timeline.RecordTimeMs(firstRecord));
  state_.NextPageTime = MsToDateTime(timeline.RecordTimeMs(firstRecord + recordsRead));
}

// ---- Reading ---------------------------------------------------------------------------------

std::int64_t THistoryView::ReadRecords(THistoryCurveSink& sink, std::int64_t first,
                                       std::int64_t limit, std::int64_t firstLabelMs) {
  // Whole records are read; the curves take their first channels (all but in a file of more
  // than 128).
  const int recordValues = reader_->ChannelCount();
  const int curves = ShownChannelCount(*reader_);
  sink.BeginRecords(limit, firstLabelMs, TRecordTimeline::Of(*reader_).IntervalMs);
  // A block of at most 1 MB, and no larger than the reading needs.
  const std::int64_t blockRecords = std::max<std::int64_t>(
      1, std::min<std::int64_t>(limit,
                                kReadBlockBytes / (std::int64_t(recordValues) * sizeof(float))));
  std::vector<float> block(static_cast<std::size_t>(blockRecords * recordValues));
  std::int64_t done = 0;
  state_.PointsShown = 0;
  shownRecords_ = {first, 0, firstLabelMs};
  while (done < limit) {
    const std::int64_t wanted = std::min(blockRecords, limit - done);
    std::int64_t got = 0;
    // A file that has become shorter ends the reading at its last whole record.
    (void)reader_->ReadRecords(first + done, wanted, block.data(), &got);
    sink.AddRecords(block.data(), static_cast<int>(got), recordValues, curves);
    done += got;
    state_.PointsShown = done;
    sink.RecordsRead(done);
    if (got < wanted) break;
  }
  shownRecords_ = {first, done, firstLabelMs};
  return done;
}

// ---- Time-window search ----------------------------------------------------------------------

THistoryView::TSearchOutcome THistoryView::Search(std::int64_t startMs, std::int64_t endMs,
                                                  THistoryCurveSink& sink) {
  TSearchOutcome outcome;
  const SearchRangeError rangeError =
      CheckSearchRange(startMs, endMs, DateTimeToMs(state_.FileStartTime),
                       DateTimeToMs(state_.FileEndTime));
  if (rangeError != SearchRangeError::None) {
    outcome.RangeRefusal = SearchRangeMessage(rangeError);
    return outcome;
  }
  if (!ReopenShown(outcome.Refusal)) return outcome;
  // A file shown with a record interval of 0 has no record at a time to start from.
  std::string refusal = HistoryFileRefusal(*reader_);
  const TRecordTimeline timeline = TRecordTimeline::Of(*reader_);
  const TSearchWindow window =
      refusal.empty() ? SearchWindow(timeline, startMs, endMs) : TSearchWindow{};
  // A window is read whole, so one whose values cannot be held is refused before any is read.
  if (refusal.empty()) {
    // The curves shown now give their memory back before the window's are made.
    const std::int64_t available = AvailableMemoryBytes();
    const std::int64_t held =
        state_.PointsShown * sink.CurveCount() * std::int64_t{sizeof(float)};
    const std::int64_t usable = available > 0 ? available + held : 0;
    refusal = WindowMemoryRefusal(window.Points, ShownChannelCount(*reader_), timeline.IntervalMs,
                                  usable);
  }
  if (refusal.empty()) refusal = ReadSearchWindow(sink, window, startMs);
  outcome.Refusal = refusal;
  return outcome;
}

std::string THistoryView::ReadSearchWindow(THistoryCurveSink& sink, const TSearchWindow& window,
                                           std::int64_t startMs) {
  // The curves are drawn once, when the window has been read.
  const THeldPicture held(sink);
  const TShownRecords before = shownRecords_;
  sink.RememberCurves();
  const int channels = ShownChannelCount(*reader_);
  sink.BeginReading();
  try {
    sink.ReplaceCurves(THistoryCurveSink::TCurves::Searched, channels, window.Points);
    ReadRecords(sink, window.FirstRecord, window.Points, startMs);
    sink.EndReading();
    return {};
  } catch (const std::bad_alloc&) {
    // The limits counted by the check left more than the system could give after all: the
    // window's curves give their memory back and the curves shown before are read again.
    sink.RemoveCurves();
  }
  // What can be had now that no curve holds any: the figure the refusal tells.
  const std::int64_t available = AvailableMemoryBytes();
  try {
    sink.RestoreCurves(before.Count);
    ReadRecords(sink, before.First, before.Count, before.FirstLabelMs);
  } catch (const std::bad_alloc&) {
    sink.RemoveCurves();  // not even those fit now: the refusal says why
    state_.PointsShown = 0;
    shownRecords_.Count = 0;  // no curve shows them any more
  }
  sink.EndReading();
  return WindowNotHeldRefusal(window.Points, channels, TRecordTimeline::Of(*reader_).IntervalMs,
                              available);
}

// ---- Cross-hair read-out ---------------------------------------------------------------------

std::optional<std::int64_t> THistoryView::ReadOutIndex(double x, double lo, double hi) const {
  const double span = hi - lo;
  if (!(span > 0 && std::isfinite(span) && lo <= x && x <= hi)) return std::nullopt;
  // Points lie at X = 0, 1, 2, ...: the index follows from X without searching.
  const std::int64_t shown = state_.PointsShown;
  const std::int64_t idx = std::min<std::int64_t>(
      static_cast<std::int64_t>(std::floor((x - lo) * static_cast<double>(shown) / span)),
      shown - 1);
  if (idx < 0) return std::nullopt;
  return idx;
}
