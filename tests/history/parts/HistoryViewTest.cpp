// The viewer's rules without a window: paging, the time-window search with its refusals and the
// read-out index, over history files written from the format alone into a temporary directory,
// read into a sink that keeps what a chart would show.

#include <cmath>
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "history/parts/ChartNavigation.h"
#include "history/parts/HistoryView.h"
#include "platform/File.h"
#include "tests/support/AvailableMemory.h"
#include "tests/support/HistoryFileBuilder.h"
#include "tests/support/TestSupport.h"

namespace {

// The value of channel i in record k: exact in float32.
float RecordValue(std::int64_t k, int i) { return static_cast<float>(k * 10 + i); }

std::int64_t Ms(int hour, int minute, int second) {
  return DateTimeToMs(EncodeDateTime({2024, 3, 5, hour, minute, second, 0}));
}

// What a chart would show of the readings: one list of points per curve, the label of point 0,
// and whether the reading ran with the picture held.
class ChartSink : public THistoryCurveSink {
 public:
  void BeginUpdate() override { ++held; }
  void EndUpdate() override {
    if (--held == 0) ++pictures;
  }
  void BeginReading() override { busy = true; }
  void EndReading() override { busy = false; }
  int CurveCount() const override { return static_cast<int>(curves.size()); }
  void ReplaceCurves(TCurves made, int count, std::int64_t) override {
    curves.clear();
    Refuse();
    kind = made;
    curves.assign(static_cast<std::size_t>(count), {});
  }
  void RemoveCurves() override { curves.clear(); }
  void RememberCurves() override { remembered = curves.size(); }
  void RestoreCurves(std::int64_t) override {
    curves.clear();
    Refuse();
    restored = true;
    curves.assign(remembered, {});
  }
  void BeginRecords(std::int64_t, std::int64_t firstLabel, std::int64_t interval) override {
    EXPECT_GT(held, 0) << "records read while the picture is drawn";
    firstLabelMs = firstLabel;
    intervalMs = interval;
  }
  void AddRecords(const float* values, int records, int recordValues, int count) override {
    for (int i = 0; i < count; ++i) {
      for (int r = 0; r < records; ++r) curves.at(i).push_back(values[r * recordValues + i]);
    }
  }
  void RecordsRead(std::int64_t done) override { read = done; }

  // Curve `curve` holds the records first .. first + count - 1.
  void ExpectRecords(int curve, std::int64_t first, std::int64_t count) const {
    ASSERT_EQ(curves.at(curve).size(), static_cast<std::size_t>(count));
    if (count == 0) return;
    EXPECT_EQ(curves[curve].front(), RecordValue(first, curve));
    EXPECT_EQ(curves[curve].back(), RecordValue(first + count - 1, curve));
  }

  // New curves whose memory cannot be had, while refusals are left.
  void Refuse() {
    if (refusals == 0) return;
    --refusals;
    if (onRefusal) onRefusal();
    throw std::bad_alloc();
  }

  std::vector<std::vector<float>> curves;
  TCurves kind = TCurves::Opened;
  std::size_t remembered = 0;
  bool restored = false;
  int refusals = 0;  // the next ReplaceCurves and RestoreCurves that cannot have their memory
  std::function<void()> onRefusal;  // runs as each of them is refused
  int held = 0;
  int pictures = 0;  // pictures drawn once the hold ended
  bool busy = false;
  std::int64_t firstLabelMs = 0;
  std::int64_t intervalMs = 0;
  std::int64_t read = 0;
};

class HistoryViewTest : public ::testing::Test {
 protected:
  HistoryViewTest() { EXPECT_EQ(view.Start(dir.Path()), ""); }

  // Writes and opens a file of `channels` channels named Ch0, Ch1, ... starting at 14:00:00.
  std::string WriteAndOpen(int channels, std::int64_t records, std::int32_t interval) {
    const std::string path = dir.File("h.vq");
    THistoryFileBuilder(channels)
        .Interval(interval)
        .Names([](int i) { return THistoryFileBuilder::SlotName{"Ch", std::to_string(i)}; })
        .Records(records)
        .Values(RecordValue)
        .Write(path);
    const THistoryView::TOpened opened = view.Open(path);
    EXPECT_TRUE(opened.Shown) << opened.Refusal;
    first = view.ReadFirstPage(sink);
    return path;
  }

  TempDir dir;
  THistoryView view;
  ChartSink sink;
  THistoryView::TPageTurn first;
};

TEST_F(HistoryViewTest, PagingForwardToTheLastPageAndBackToTheFirst) {
  const std::string path = WriteAndOpen(2, 45000, 5);
  const THistoryViewState& state = view.HistoryViewState();
  EXPECT_EQ(state.PageCount, 3);
  sink.ExpectRecords(1, 0, 20000);
  EXPECT_EQ(sink.kind, THistoryCurveSink::TCurves::Opened);
  EXPECT_FALSE(first.BackEnabled);
  EXPECT_TRUE(first.NextEnabled);
  EXPECT_EQ(sink.pictures, 1);

  THistoryView::TPageTurn turn = view.NextPage(sink);
  ASSERT_TRUE(turn.Read);
  sink.ExpectRecords(1, 20000, 20000);
  EXPECT_EQ(sink.kind, THistoryCurveSink::TCurves::Paged);
  EXPECT_EQ(sink.firstLabelMs, Ms(14, 0, 0) + 20000 * 5000);
  EXPECT_EQ(state.CurrentPage, 2);
  EXPECT_TRUE(turn.BackEnabled);
  EXPECT_TRUE(turn.NextEnabled);

  turn = view.NextPage(sink);
  sink.ExpectRecords(1, 40000, 5000);
  EXPECT_EQ(state.PointsShown, 5000);
  EXPECT_FALSE(turn.NextEnabled);

  turn = view.PreviousPage(sink);
  sink.ExpectRecords(0, 20000, 20000);
  EXPECT_TRUE(turn.BackEnabled);
  EXPECT_TRUE(turn.NextEnabled);
  turn = view.PreviousPage(sink);
  sink.ExpectRecords(0, 0, 20000);
  EXPECT_FALSE(turn.BackEnabled);
  EXPECT_EQ(state.CurrentPage, 1);
  EXPECT_EQ(state.PageStartPos, kHistoryHeaderSize);
  // Each reading drew one picture, and none is running.
  EXPECT_EQ(sink.pictures, 5);
  EXPECT_FALSE(sink.busy);
  // On the first page "<<" reads nothing, not even the file.
  EXPECT_FALSE(view.PreviousPage(sink).Read);

  // A file that can no longer be shown is refused by name; one that is gone is not told.
  const std::int32_t none = 0;
  ASSERT_TRUE(WriteExistingFileAt(path, offsetof(THistoryFileHeader, ChannelCount), &none,
                                  sizeof none)
                  .ok());
  turn = view.NextPage(sink);
  EXPECT_FALSE(turn.Read);
  EXPECT_NE(turn.Refusal.find(path), std::string::npos) << turn.Refusal;
  std::filesystem::remove(path);
  turn = view.NextPage(sink);
  EXPECT_FALSE(turn.Read);
  EXPECT_EQ(turn.Refusal, "");
  EXPECT_EQ(state.CurrentPage, 1);
  sink.ExpectRecords(0, 0, 20000);
}

TEST_F(HistoryViewTest, RefusedOpenLeavesTheFileShownTheViewsFile) {
  const std::string path = WriteAndOpen(3, 45000, 1);
  const TDateTime pageEnd = view.FirstPageEnd();
  // A file that opens but holds no channel, dated a day later.
  const std::string refused = dir.File("empty.vq");
  THistoryFileBuilder(0).Start(TestHistoryStart() + 1).Interval(60).Write(refused);
  const THistoryView::TOpened opened = view.Open(refused);
  EXPECT_FALSE(opened.Shown);
  EXPECT_NE(opened.Refusal.find("it holds no channel"), std::string::npos) << opened.Refusal;
  EXPECT_EQ(view.Header().ChannelCount, 3);
  EXPECT_EQ(view.Header().IntervalSeconds, 1);
  EXPECT_EQ(view.FirstPageEnd(), pageEnd);
  EXPECT_EQ(view.HistoryViewState().HistoryFilePath, path);
  // The file shown still pages.
  ASSERT_TRUE(view.NextPage(sink).Read);
  sink.ExpectRecords(2, 20000, 20000);
}

TEST_F(HistoryViewTest, SearchWindowsAndTheRangeMessagesInTheirOrder) {
  WriteAndOpen(3, 10, 60);
  THistoryView::TSearchOutcome found = view.Search(Ms(14, 2, 30), Ms(14, 5, 0), sink);
  EXPECT_EQ(found.RangeRefusal, "");
  EXPECT_EQ(found.Refusal, "");
  sink.ExpectRecords(1, 2, 3);  // labelled from the start asked for, not from record 2's time
  EXPECT_EQ(sink.kind, THistoryCurveSink::TCurves::Searched);
  EXPECT_EQ(sink.firstLabelMs, Ms(14, 2, 30));
  EXPECT_EQ(sink.intervalMs, 60000);
  EXPECT_FALSE(sink.busy);

  found = view.Search(Ms(14, 10, 0), Ms(14, 10, 0), sink);  // at the file's end: no point
  EXPECT_EQ(sink.curves.size(), 3u);
  sink.ExpectRecords(0, 10, 0);

  const int pictures = sink.pictures;
  const auto rangeRefusal = [&](std::int64_t start, std::int64_t end) {
    return view.Search(start, end, sink).RangeRefusal;
  };
  EXPECT_EQ(rangeRefusal(Ms(13, 59, 59), Ms(14, 5, 0)), "It is beyond the minimum time range!");
  EXPECT_EQ(rangeRefusal(Ms(14, 10, 1), Ms(14, 10, 2)), "It is beyond the maximum time range!");
  EXPECT_EQ(rangeRefusal(Ms(13, 0, 0), Ms(14, 10, 1)), "It is beyond the maximum time range!");
  EXPECT_EQ(rangeRefusal(Ms(14, 5, 0), Ms(14, 4, 0)),
            "The starting time should be greater than the end time!");
  EXPECT_EQ(sink.pictures, pictures);  // nothing read
}

TEST_F(HistoryViewTest, FileOfIntervalZeroIsNotSearched) {
  WriteAndOpen(3, 4, 0);
  const THistoryView::TSearchOutcome found = view.Search(Ms(14, 0, 0), Ms(14, 0, 0), sink);
  EXPECT_EQ(found.RangeRefusal, "");
  EXPECT_NE(found.Refusal.find("its record interval is 0 seconds"), std::string::npos)
      << found.Refusal;
  EXPECT_EQ(sink.kind, THistoryCurveSink::TCurves::Opened);
  sink.ExpectRecords(2, 0, 4);
}

TEST_F(HistoryViewTest, WindowBeyondTheMemoryIsRefusedBeforeAnythingIsRead) {
  WriteAndOpen(2, 3000, 1);
  // 4,000 bytes available and the 24,000 of the page shown: a window may take three quarters of
  // 28,000 bytes, 2,625 records of 2 channels.
  const ScopedAvailableMemory memory(4000);
  const THistoryView::TSearchOutcome found = view.Search(Ms(14, 0, 0), Ms(14, 49, 59), sink);
  EXPECT_NE(found.Refusal.find("This time window holds 3000 records of 2 channels"),
            std::string::npos)
      << found.Refusal;
  EXPECT_NE(found.Refusal.find("The longest window that can be shown is 2625 records "
                               "(43 minutes 45 seconds)."),
            std::string::npos)
      << found.Refusal;
  EXPECT_EQ(sink.kind, THistoryCurveSink::TCurves::Opened);
  sink.ExpectRecords(1, 0, 3000);

  EXPECT_EQ(view.Search(Ms(14, 0, 0), Ms(14, 43, 44), sink).Refusal, "");
  sink.ExpectRecords(1, 0, 2625);
}

TEST(ScopedAvailableMemoryTest, NestedFiguresComeBackInTurn) {
  const ScopedAvailableMemory outer(4000);
  {
    const ScopedAvailableMemory inner(9000);
    EXPECT_EQ(AvailableMemoryBytes(), 9000);
  }
  EXPECT_EQ(AvailableMemoryBytes(), 4000);
}

TEST_F(HistoryViewTest, WindowWhoseCurvesCannotHaveTheirMemoryShowsTheCurvesBeforeAgain) {
  WriteAndOpen(2, 3000, 1);
  const ScopedAvailableMemory plenty(std::int64_t{100} << 30);
  sink.refusals = 1;
  THistoryView::TSearchOutcome found = view.Search(Ms(14, 10, 0), Ms(14, 19, 59), sink);
  // Measured again, the memory would still hold the window: nothing better is known than that
  // it could not be held.
  EXPECT_EQ(found.Refusal,
            "This time window holds 600 records of 2 channels (0.0 MB), more than can be held.");
  EXPECT_TRUE(sink.restored);
  EXPECT_EQ(sink.curves.size(), 2u);
  sink.ExpectRecords(1, 0, 3000);
  EXPECT_EQ(view.HistoryViewState().PointsShown, 3000);
  EXPECT_FALSE(sink.busy);

  // Measured again once the window's curves are given back, 4,000 bytes are left: the refusal
  // tells that figure and the longest window it holds, three quarters of it.
  std::optional<ScopedAvailableMemory> lowered;
  sink.onRefusal = [&] {
    if (!lowered) lowered.emplace(4000);
  };
  sink.refusals = 1;
  found = view.Search(Ms(14, 10, 0), Ms(14, 19, 59), sink);
  EXPECT_EQ(found.Refusal,
            "This time window holds 600 records of 2 channels (0.0 MB), more than can be held "
            "with the 0.0 MB of memory available. The longest window that can be shown is 375 "
            "records (6 minutes 15 seconds).");
  sink.ExpectRecords(1, 0, 3000);
  EXPECT_EQ(view.HistoryViewState().PointsShown, 3000);

  // Not even the curves shown before fit: none are left, and the window says so.
  sink.refusals = 2;
  found = view.Search(Ms(14, 10, 0), Ms(14, 19, 59), sink);
  EXPECT_NE(found.Refusal.find("600 records of 2 channels"), std::string::npos);
  EXPECT_TRUE(sink.curves.empty());
  EXPECT_EQ(view.HistoryViewState().PointsShown, 0);
  EXPECT_FALSE(sink.busy);
  EXPECT_EQ(sink.held, 0);

  // A later window that passes the check but cannot be held either brings back no curves that
  // were already gone.
  lowered.reset();
  sink.refusals = 1;
  found = view.Search(Ms(14, 10, 0), Ms(14, 19, 59), sink);
  EXPECT_NE(found.Refusal.find("600 records of 2 channels"), std::string::npos);
  EXPECT_EQ(view.HistoryViewState().PointsShown, 0);
}

TEST_F(HistoryViewTest, ReadOutIndexFollowsFromX) {
  EXPECT_FALSE(view.ReadOutIndex(0, 0, 2));  // nothing shown yet
  WriteAndOpen(1, 3, 60);
  EXPECT_EQ(view.ReadOutIndex(0, 0, 2), 0);
  EXPECT_EQ(view.ReadOutIndex(1.4, 0, 2), 2);
  EXPECT_EQ(view.ReadOutIndex(2, 0, 2), 2);  // the largest X: the last point, not one past it
  EXPECT_FALSE(view.ReadOutIndex(2.01, 0, 2));
  EXPECT_FALSE(view.ReadOutIndex(-0.01, 0, 2));
  EXPECT_FALSE(view.ReadOutIndex(0, 0, 0));  // one point per curve spans nothing
  EXPECT_FALSE(view.ReadOutIndex(0, -HUGE_VAL, HUGE_VAL));  // an axis without finite ends
}

TEST(ChartNavigationTest, TrackBarAndYRangeArithmetic) {
  // Track bar at 50 with 1,000 points and a visible width of 100.
  const TAxisMove move = TrackBarAxisMove(50, 0, 999, 0, 100);
  EXPECT_DOUBLE_EQ(move.Minimum, 499.5);
  EXPECT_DOUBLE_EQ(move.Maximum, 599.5);
  EXPECT_TRUE(move.MaximumFirst);
  EXPECT_FALSE(TrackBarAxisMove(0, 0, 999, 499.5, 599.5).MaximumFirst);
  EXPECT_EQ(TrackBarPosition(499.5, 0, 999), 50);
  EXPECT_EQ(TrackBarPosition(2000, 0, 999), 100);
  EXPECT_FALSE(TrackBarPosition(0, 5, 5));

  EXPECT_FALSE(LeftAxisMove(5, 5, 0));
  EXPECT_TRUE(LeftAxisMove(3000, 2000, 0)->MaximumFirst);
  EXPECT_FALSE(LeftAxisMove(50, -50, 100)->MaximumFirst);
  EXPECT_EQ(AxisRangeValue("12.5"), 12.5f);
  EXPECT_THROW(AxisRangeValue("1e39"), std::exception);
  EXPECT_THROW(AxisRangeValue("x"), std::exception);
}

}  // namespace
