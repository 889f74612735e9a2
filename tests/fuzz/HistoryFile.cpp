// A history data file as the viewer reads it, through the viewer's own rules (THistoryView): open
// (header checks), the first page, then the steps the input picks: ">>" and "<<" as far as the
// buttons allow, a time-window search (its range, file and memory refusals, and curves whose
// memory cannot be had after all), and the cross-hair read-out. A sink in place of the chart
// counts what each reading hands it and checks it against the file. Last, a page anywhere in the
// file, found from file offsets as paging keeps them (paging from the start cannot reach the
// pages of a file past 4 GiB within one input).
//
// The header alone is 460,824 bytes and a station's file grows past 4 GiB within days, so the
// input is a short form of a file of any size, read through a sparse file in memory:
//   bytes   0..19    the header's fixed fields (start time, interval, channel count, reserved)
//   byte   20        s, the name slots given (its value modulo 129): slots 0 .. s-1
//   then             those slots, 80 bytes each; the other slots and the last reserved bytes
//                    are zero
//   then 8 bytes     g, little-endian, modulo 2^56: bytes of zeros between the records given
//                    at the start and the same records again at the end of the file
//   the rest         the records' bytes
// So a file is 460,824 + r bytes long (r: the records' bytes), or 460,824 + 2r + g when g is not
// 0. An input shorter than 21 bytes is the whole file (one shorter than its header). The steps'
// choices are taken from the input's end, that is from the records' bytes.

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FixedText.h"
#include "common/HistoryFile.h"
#include "history/parts/HistoryView.h"
#include "history/parts/PageSearch.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/SparseFileSystem.h"
#include "tests/support/AvailableMemory.h"

namespace {

constexpr std::size_t kFixedFields = 20;
constexpr int kMostGivenSlots = kViewerMaxChannels;
constexpr std::size_t kGapBytes = 8;
constexpr std::uint64_t kGapLimit = std::uint64_t{1} << 56;
constexpr char kPath[] = "fuzz.vq";
// Steps after the first page, at most.
constexpr int kMostSteps = 4;
// The memory a search may count on, at most: enough for windows of several pages, little
// enough that a window of a file past 4 GiB is refused before it is read.
constexpr std::int64_t kMostAvailableBytes = std::int64_t{4} << 20;

using Extent = SparseFileSystem::Extent;

// The file the input stands for, as its size and extents.
std::int64_t FileImage(std::string_view input, std::vector<Extent>& extents) {
  extents.clear();
  if (input.size() <= kFixedFields) {
    extents.push_back({0, input});
    return static_cast<std::int64_t>(input.size());
  }
  extents.push_back({0, input.substr(0, kFixedFields)});
  const int slots = static_cast<unsigned char>(input[kFixedFields]) % (kMostGivenSlots + 1);
  std::string_view rest = input.substr(kFixedFields + 1);
  const std::size_t slotBytes = std::min(rest.size(), std::size_t(slots) * kHistoryNameSlotSize);
  extents.push_back({kFixedFields, rest.substr(0, slotBytes)});
  rest.remove_prefix(slotBytes);
  std::uint64_t gap = 0;
  const std::size_t gapBytes = std::min(rest.size(), kGapBytes);
  for (std::size_t i = 0; i < gapBytes; ++i) {
    gap |= std::uint64_t{static_cast<unsigned char>(rest[i])} << (8 * i);
  }
  gap %= kGapLimit;
  rest.remove_prefix(gapBytes);
  const auto records = static_cast<std::int64_t>(rest.size());
  extents.push_back({kHistoryHeaderSize, rest});
  if (gap == 0) return kHistoryHeaderSize + records;
  const std::int64_t tail = kHistoryHeaderSize + records + static_cast<std::int64_t>(gap);
  extents.push_back({tail, rest});
  return tail + records;
}

// A time within the range, at the input's choice of fraction.
std::int64_t TimeWithin(FuzzedDataProvider& input, std::int64_t from, std::int64_t to) {
  const auto step = input.ConsumeIntegral<std::uint16_t>();
  return from + static_cast<std::int64_t>((static_cast<__int128>(to - from) * step) / 0xFFFF);
}

// The chart in front of the view: it keeps no points, only their count, and checks each reading
// against the file: the order of the calls, the curves' room, and the first and last value of
// every block of records (read again from the file at the record the reading must be at).
class CountingSink final : public THistoryCurveSink {
 public:
  CountingSink(const HistoryFileReader& file, FileSystem& files) : file_(file), files_(files) {}

  // The record the next reading begins at; whether the search's new curves, and the curves
  // shown before it made again, find no memory.
  std::int64_t ExpectedFirst = 0;
  bool RefuseSearchedCurves = false;
  bool RefuseRestoredCurves = false;

  std::int64_t Points() const { return points_; }
  TCurves Kind() const { return kind_; }
  int Replacements() const { return replacements_; }

  void BeginUpdate() override { ++held_; }
  void EndUpdate() override {
    FUZZ_CHECK(held_ > 0);
    --held_;
  }
  void BeginReading() override {
    FUZZ_CHECK(!reading_);
    reading_ = true;
  }
  void EndReading() override {
    FUZZ_CHECK(reading_);
    reading_ = false;
  }
  int CurveCount() const override { return curves_; }
  void ReplaceCurves(TCurves kind, int curves, std::int64_t points) override {
    FUZZ_CHECK(held_ > 0 && reading_);
    FUZZ_CHECK(curves == ShownChannelCount(file_) && points >= 0);
    ++replacements_;
    RemoveCurves();
    if (kind == TCurves::Searched && RefuseSearchedCurves && points > 0) throw std::bad_alloc();
    kind_ = kind;
    curves_ = curves;
    room_ = points;
  }
  void RemoveCurves() override {
    curves_ = 0;
    room_ = 0;
    points_ = 0;
  }
  void RememberCurves() override {
    rememberedCurves_ = curves_;
    rememberedKind_ = kind_;
  }
  void RestoreCurves(std::int64_t points) override {
    FUZZ_CHECK(held_ > 0 && reading_);
    RemoveCurves();
    if (RefuseRestoredCurves && points > 0) throw std::bad_alloc();
    curves_ = rememberedCurves_;
    kind_ = rememberedKind_;
    room_ = points;
  }
  void BeginRecords(std::int64_t records, std::int64_t, std::int64_t intervalMs) override {
    FUZZ_CHECK(held_ > 0 && reading_);
    FUZZ_CHECK(records <= room_ && intervalMs == TRecordTimeline::Of(file_).IntervalMs);
    expected_ = records;
    points_ = 0;
  }
  void AddRecords(const float* values, int records, int recordValues, int curves) override {
    FUZZ_CHECK(records >= 0 && points_ + records <= expected_);
    FUZZ_CHECK(recordValues == file_.ChannelCount() && curves == curves_);
    if (records > 0 && curves > 0) {
      ExpectValue(values[0], ExpectedFirst + points_, 0);
      const std::size_t last = std::size_t(records - 1) * recordValues + (curves - 1);
      ExpectValue(values[last], ExpectedFirst + points_ + records - 1, curves - 1);
    }
    points_ += records;
  }
  void RecordsRead(std::int64_t done) override { FUZZ_CHECK(done == points_); }

  // Between two operations of the view: nothing held, no reading under way.
  void CheckIdle() const { FUZZ_CHECK(held_ == 0 && !reading_); }

 private:
  // Value `channel` of record `k` is the file's bytes at its place.
  void ExpectValue(float value, std::int64_t k, int channel) const {
    const std::int64_t offset = OffsetOfRecord(k, file_.ChannelCount()) + 4 * channel;
    OpenedFile opened = files_.OpenExisting(kPath, FileAccess::Read);
    FUZZ_CHECK(opened.Status.ok());
    float stored = 0;
    std::size_t got = 0;
    FUZZ_CHECK(opened.Handle->ReadAt(offset, &stored, sizeof stored, got).ok());
    FUZZ_CHECK(got == sizeof stored && std::memcmp(&stored, &value, sizeof value) == 0);
  }

  const HistoryFileReader& file_;
  FileSystem& files_;
  int held_ = 0;
  bool reading_ = false;
  int curves_ = 0;
  TCurves kind_ = TCurves::Opened;
  int rememberedCurves_ = 0;
  TCurves rememberedKind_ = TCurves::Opened;
  std::int64_t room_ = 0;
  std::int64_t expected_ = 0;
  std::int64_t points_ = 0;
  int replacements_ = 0;
};

// What the window knows between steps: the page shown (its first record and size) and its
// buttons, and what its curves show.
struct ShownPage {
  std::int64_t First = 0;
  std::int64_t Records = 0;
  std::int32_t Page = 1;
  bool BackEnabled = false;
  bool NextEnabled = false;
  std::int64_t CurvesFirst = 0;  // the records the curves show (a page or a searched window)
  std::int64_t CurvesPoints = 0;
};

// The view's page state is the page `shown`.
void CheckPageState(const THistoryView& view, const HistoryFileReader& file,
                    const ShownPage& shown) {
  const THistoryViewState& state = view.HistoryViewState();
  const int channels = file.ChannelCount();
  const TRecordTimeline timeline = TRecordTimeline::Of(file);
  FUZZ_CHECK(state.CurrentPage == shown.Page);
  FUZZ_CHECK(state.PageStartPos == OffsetOfRecord(shown.First, channels));
  FUZZ_CHECK(state.NextPagePos == OffsetOfRecord(shown.First + shown.Records, channels));
  FUZZ_CHECK(state.NextPagePos <= file.FileSize());
  FUZZ_CHECK(DateTimeToMs(state.PageStartTime) == timeline.RecordTimeMs(shown.First));
  FUZZ_CHECK(state.PointsShown == shown.CurvesPoints);
}

// A page turn read the page of records `first` on.
void TookPage(const THistoryView::TPageTurn& turn, const CountingSink& sink,
              const HistoryFileReader& file, std::int64_t first, ShownPage& shown) {
  FUZZ_CHECK(turn.Read && turn.Refusal.empty());
  const std::int64_t records =
      std::min<std::int64_t>(file.RecordCount() - first, kPageRecordLimit);
  FUZZ_CHECK(sink.Points() == records);
  shown.First = first;
  shown.Records = records;
  shown.CurvesFirst = first;
  shown.CurvesPoints = records;
  shown.BackEnabled = turn.BackEnabled;
  shown.NextEnabled = turn.NextEnabled;
  FUZZ_CHECK(turn.NextEnabled == (records == kPageRecordLimit));
}

// a - b and a + b, held within the 64-bit range.
std::int64_t Less(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  return __builtin_sub_overflow(a, b, &r) ? std::numeric_limits<std::int64_t>::min() : r;
}
std::int64_t More(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  return __builtin_add_overflow(a, b, &r) ? std::numeric_limits<std::int64_t>::max() : r;
}

// A search; false when it left no curves at all (their memory could not be had again), after
// which the window shows nothing more to step through.
bool Search(FuzzedDataProvider& input, THistoryView& view, CountingSink& sink,
            const HistoryFileReader& file, ShownPage& shown) {
  const TRecordTimeline timeline = TRecordTimeline::Of(file);
  // Bounds within the file, or reaching an interval's span past either end of it.
  const std::int64_t margin =
      input.ConsumeBool() ? 0 : std::max<std::int64_t>(timeline.IntervalMs, 1);
  const std::int64_t from = Less(timeline.StartMs, margin);
  const std::int64_t to = More(timeline.EndMs(), margin);
  const std::int64_t start = TimeWithin(input, from, to);
  const std::int64_t end = TimeWithin(input, from, to);
  // The memory the process can still take, as the view's search learns it: the input's choice.
  const std::int64_t available = input.ConsumeIntegralInRange<std::int64_t>(1, kMostAvailableBytes);
  sink.RefuseSearchedCurves = input.ConsumeBool();
  sink.RefuseRestoredCurves = input.ConsumeBool();
  const std::int64_t heldBytes = shown.CurvesPoints * sink.CurveCount() * std::int64_t{4};
  const int curvesBefore = sink.CurveCount();
  const int replacements = sink.Replacements();

  const SearchRangeError range =
      CheckSearchRange(start, end, timeline.StartMs, timeline.EndMs());
  const bool searchable = HistoryFileRefusal(file).empty();
  const TSearchWindow window =
      range == SearchRangeError::None && searchable ? SearchWindow(timeline, start, end)
                                                    : TSearchWindow{};
  const std::string tooLong =
      range == SearchRangeError::None && searchable
          ? WindowMemoryRefusal(window.Points, ShownChannelCount(file), timeline.IntervalMs,
                                available + heldBytes)
          : std::string();
  // The sink refuses only curves that would hold points.
  const bool windowRefused = sink.RefuseSearchedCurves && window.Points > 0;
  const bool restoreRefused = windowRefused && sink.RefuseRestoredCurves && shown.CurvesPoints > 0;
  sink.ExpectedFirst = windowRefused ? shown.CurvesFirst : window.FirstRecord;

  const THistoryView::TSearchOutcome outcome = [&] {
    const ScopedAvailableMemory memory(available);
    return view.Search(start, end, sink);
  }();
  sink.CheckIdle();
  sink.RefuseSearchedCurves = false;
  sink.RefuseRestoredCurves = false;
  const std::int64_t pointsShown = view.HistoryViewState().PointsShown;
  if (range != SearchRangeError::None) {
    FUZZ_CHECK(outcome.RangeRefusal == SearchRangeMessage(range) && outcome.Refusal.empty());
    FUZZ_CHECK(sink.Replacements() == replacements && pointsShown == shown.CurvesPoints);
    return true;
  }
  FUZZ_CHECK(outcome.RangeRefusal.empty());
  if (!searchable) {
    FUZZ_CHECK(outcome.Refusal == HistoryFileRefusal(file));
    FUZZ_CHECK(sink.Replacements() == replacements && pointsShown == shown.CurvesPoints);
    return true;
  }
  FUZZ_CHECK(window.FirstRecord >= 0 && window.Points >= 0);
  FUZZ_CHECK(window.FirstRecord + window.Points <= file.RecordCount());
  if (!tooLong.empty()) {
    // Refused before anything was read: the curves stay as they were.
    FUZZ_CHECK(outcome.Refusal == tooLong);
    FUZZ_CHECK(sink.Replacements() == replacements && pointsShown == shown.CurvesPoints);
    return true;
  }
  if (windowRefused) {
    // The window's curves found no memory: refused all the same, and the curves shown before
    // are read again, or none are left.
    FUZZ_CHECK(!outcome.Refusal.empty());
    if (restoreRefused) {
      FUZZ_CHECK(sink.CurveCount() == 0 && sink.Points() == 0 && pointsShown == 0);
      shown.CurvesPoints = 0;
      return false;
    }
    FUZZ_CHECK(sink.CurveCount() == curvesBefore && sink.Points() == shown.CurvesPoints);
    FUZZ_CHECK(pointsShown == shown.CurvesPoints);
    return true;
  }
  FUZZ_CHECK(outcome.Refusal.empty());
  FUZZ_CHECK(sink.Kind() == THistoryCurveSink::TCurves::Searched);
  FUZZ_CHECK(sink.Points() == window.Points && pointsShown == window.Points);
  shown.CurvesFirst = window.FirstRecord;
  shown.CurvesPoints = window.Points;
  return true;
}

void ReadOut(FuzzedDataProvider& input, const THistoryView& view, const ShownPage& shown) {
  // The chart's X axis: points lie at 0, 1, 2, ...; the cross-hair anywhere near them.
  constexpr double kReach = 1e7;
  const double lo = input.ConsumeFloatingPointInRange(-kReach, kReach);
  const double hi = input.ConsumeFloatingPointInRange(-kReach, kReach);
  const double x = input.ConsumeFloatingPointInRange(-kReach, kReach);
  const std::optional<std::int64_t> index = view.ReadOutIndex(x, lo, hi);
  if (index) FUZZ_CHECK(*index >= 0 && *index < shown.CurvesPoints);
  if (shown.CurvesPoints > 0 && hi > lo && (x == lo || x == hi)) {
    FUZZ_CHECK(index.has_value());
  }
}

void ShowFile(FuzzedDataProvider& input, THistoryView& view, const HistoryFileReader& file,
              FileSystem& files) {
  for (int i = 0; i < ShownChannelCount(file); ++i) {
    FUZZ_CHECK(file.ChannelNameBytes(i).size() <= kHistoryNameSlotSize);
    (void)ReadFixedText(file.Header().ChannelNames[i]);
  }
  const TRecordTimeline timeline = TRecordTimeline::Of(file);
  const THistoryViewState& state = view.HistoryViewState();
  FUZZ_CHECK(state.PageCount == PageCountFor(file.RecordCount(), kPageRecordLimit));
  FUZZ_CHECK(state.PageCount >= 1 && state.CurrentPage == 1);
  FUZZ_CHECK(DateTimeToMs(state.FileStartTime) == timeline.StartMs);
  FUZZ_CHECK(DateTimeToMs(state.FileEndTime) == timeline.EndMs());
  FUZZ_CHECK(DateTimeToMs(view.FirstPageEnd()) ==
             timeline.RecordTimeMs(std::min<std::int64_t>(file.RecordCount(), kPageRecordLimit)));
  (void)TimeRangeText(state.FileStartTime, state.FileEndTime);
  (void)PageLabelText(state.PageCount, state.CurrentPage);

  CountingSink sink(file, files);
  ShownPage shown;
  sink.ExpectedFirst = 0;
  TookPage(view.ReadFirstPage(sink), sink, file, 0, shown);
  FUZZ_CHECK(sink.Kind() == THistoryCurveSink::TCurves::Opened && !shown.BackEnabled);
  sink.CheckIdle();
  CheckPageState(view, file, shown);

  const int steps = input.ConsumeIntegralInRange(0, kMostSteps);
  for (int step = 0; step < steps; ++step) {
    enum Step { kNext, kPrevious, kSearch, kReadOut, kSteps };
    switch (input.ConsumeIntegralInRange(0, kSteps - 1)) {
      case kNext:  // ">>", where the button is enabled
        if (!shown.NextEnabled) break;
        sink.ExpectedFirst = shown.First + shown.Records;
        TookPage(view.NextPage(sink), sink, file, shown.First + shown.Records, shown);
        FUZZ_CHECK(shown.BackEnabled);
        ++shown.Page;
        break;
      case kPrevious: {  // "<<", where the button is enabled
        if (!shown.BackEnabled) break;
        const std::int64_t first = std::max<std::int64_t>(0, shown.First - kPageRecordLimit);
        sink.ExpectedFirst = first;
        TookPage(view.PreviousPage(sink), sink, file, first, shown);
        FUZZ_CHECK(shown.NextEnabled && shown.BackEnabled == (first > 0));
        --shown.Page;
        break;
      }
      case kSearch:
        if (!Search(input, view, sink, file, shown)) return;
        break;
      case kReadOut:
        ReadOut(input, view, shown);
        break;
    }
    sink.CheckIdle();
    CheckPageState(view, file, shown);
  }
}

// Records first .. first + count - 1 read as whole records, as paging reads a page; of a long
// span only its two ends, since a span of a file past 4 GiB is mostly zeros.
void ReadSpan(const HistoryFileReader& reader, std::int64_t first, std::int64_t count) {
  constexpr std::int64_t kEnd = 8;
  static std::vector<float> values;
  const auto read = [&](std::int64_t from, std::int64_t records) {
    values.resize(static_cast<std::size_t>(records * reader.ChannelCount()));
    std::int64_t got = -1;
    FUZZ_CHECK(reader.ReadRecords(from, records, values.data(), &got).ok());
    FUZZ_CHECK(got == records);
  };
  FUZZ_CHECK(first >= 0 && count >= 0 && first + count <= reader.RecordCount());
  if (count <= 2 * kEnd) {
    read(first, count);
    return;
  }
  read(first, kEnd);
  read(first + count - kEnd, kEnd);
}

// A page anywhere in the file, found from file offsets as paging keeps them, and the offsets of
// the pages beside it.
void FarPage(FuzzedDataProvider& input, const HistoryFileReader& reader) {
  const int channels = reader.ChannelCount();
  const std::int32_t pages = PageCountFor(reader.RecordCount(), kPageRecordLimit);
  const std::int64_t page = input.ConsumeIntegralInRange<std::int64_t>(0, pages - 1);
  const std::int64_t pageStart = OffsetOfRecord(page * kPageRecordLimit, channels);
  const std::int64_t first = RecordAtOffset(pageStart, channels);
  FUZZ_CHECK(first == page * kPageRecordLimit);
  const std::int64_t records =
      std::min<std::int64_t>(reader.RecordCount() - first, kPageRecordLimit);
  ReadSpan(reader, first, records);
  const std::int64_t nextPos = OffsetOfRecord(first + records, channels);
  FUZZ_CHECK(nextPos <= reader.FileSize());
  FUZZ_CHECK(RecordAtOffset(nextPos, channels) == first + records);
  if (reader.RecordCount() > 0) {
    (void)FormatDateTime(kDisplayDateTimePattern, reader.RecordTime(reader.RecordCount() - 1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SparseFileSystem files;
  // Each holds a header's worth of memory: made once.
  static HistoryFileReader reader(files);
  static THistoryView view(files);
  static std::vector<Extent> extents;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  FuzzedDataProvider choices(data, size);  // takes from the end: the records' bytes
  const std::int64_t fileSize = FileImage(input, extents);
  files.Put(kPath, fileSize, extents);

  // The file as it is, beside the view: what the view's answers are checked against.
  const bool opened = reader.Open(kPath).ok();
  const bool showable = opened && HistoryFileShowRefusal(reader).empty();
  const THistoryView::TOpened shown = view.Open(kPath);
  FUZZ_CHECK(shown.Shown == showable);
  if (opened && !showable) FUZZ_CHECK(shown.Refusal == HistoryFileShowRefusal(reader));
  if (!showable) return 0;
  FUZZ_CHECK(reader.ChannelCount() >= 0 && reader.ChannelCount() <= kHistoryNameSlots);
  FUZZ_CHECK(reader.RecordCount() == HistoryRecordCount(reader.FileSize(), reader.ChannelCount()));
  FUZZ_CHECK(shown.Refusal.empty() && shown.Notice == ChannelCutNotice(reader));
  ShowFile(choices, view, reader, files);
  FarPage(choices, reader);
  return 0;
}
