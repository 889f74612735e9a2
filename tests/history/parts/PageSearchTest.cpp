// The page and time-window arithmetic on its own: page counts, record offsets, the order of the
// search's range checks, the shortest window, and the memory a window may take.

#include <gtest/gtest.h>

#include "history/parts/PageSearch.h"

namespace {

TEST(PageSearchTest, PagesOffsetsRangeChecksAndTheShortestWindow) {
  EXPECT_EQ(PageCountFor(0, kPageRecordLimit), 1);
  EXPECT_EQ(PageCountFor(19999, kPageRecordLimit), 1);
  EXPECT_EQ(PageCountFor(20000, kPageRecordLimit), 2);  // a whole page: one more, empty
  EXPECT_EQ(PageCountFor(45000, kPageRecordLimit), 3);
  EXPECT_EQ(PageLabelText(3, 2), "( 3 // 2 )Page");
  EXPECT_EQ(OffsetOfRecord(20000, 4), kHistoryHeaderSize + 20000 * 16);
  EXPECT_EQ(RecordAtOffset(OffsetOfRecord(20000, 4), 4), 20000);
  EXPECT_EQ(RecordAtOffset(kHistoryHeaderSize, 0), 0);

  // Either bound after the end first, then either before the start, then start after end.
  EXPECT_EQ(CheckSearchRange(0, 11, 1, 10), SearchRangeError::AfterFileEnd);
  EXPECT_EQ(CheckSearchRange(0, 5, 1, 10), SearchRangeError::BeforeFileStart);
  EXPECT_EQ(CheckSearchRange(6, 5, 1, 10), SearchRangeError::StartAfterEnd);
  EXPECT_EQ(CheckSearchRange(10, 10, 1, 10), SearchRangeError::None);
  EXPECT_EQ(SearchRangeMessage(SearchRangeError::StartAfterEnd),
            "The starting time should be greater than the end time!");

  // Ten records a minute apart: a window shorter than one interval shows two points, and one
  // at the file's end none.
  const TRecordTimeline timeline{0, 60'000, 10};
  const TSearchWindow two = SearchWindow(timeline, 150'000, 150'000);
  EXPECT_EQ(two.FirstRecord, 2);
  EXPECT_EQ(two.Points, 2);
  const TSearchWindow none = SearchWindow(timeline, 600'000, 600'000);
  EXPECT_EQ(none.FirstRecord, 10);
  EXPECT_EQ(none.Points, 0);
}

TEST(WindowMemoryTest, NoCurveHoldsMoreThanAnIntOfPointsWhateverTheMemory) {
  EXPECT_EQ(WindowMemoryRefusal(2'147'483'647, 1, 1000, 0), "");
  const std::string refusal = WindowMemoryRefusal(20'000'000'000, 128, 1000, 0);
  EXPECT_NE(refusal.find("20000000000 records of 128 channels (10240.0 GB)"), std::string::npos)
      << refusal;
  EXPECT_NE(refusal.find("2147483647 records (24855 days 3 hours)"), std::string::npos);
  EXPECT_EQ(refusal.find("memory available"), std::string::npos);
  // 128 channels, 20,000,000 records a second apart, in 8 GB: 6 GB hold 11,718,750 records.
  const std::string memory = WindowMemoryRefusal(20'000'000, 128, 1000, 8'000'000'000);
  EXPECT_NE(memory.find("(10.2 GB)"), std::string::npos) << memory;
  EXPECT_NE(memory.find("8.0 GB of memory available"), std::string::npos);
  EXPECT_NE(memory.find("11718750 records (135 days 15 hours)"), std::string::npos);
}

}  // namespace
