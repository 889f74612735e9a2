// ">>" and "<<" through a file of several pages (the buttons stay hidden; their handlers run).

#include <QLabel>
#include <QPushButton>

#include "platform/gui/Chart.h"
#include "tests/history/ViewerFixture.h"

namespace {

class ViewerPagingTest : public ViewerTest {
 protected:
  // The page shown holds records first .. first + count - 1, from X 0, labelled with their times.
  void ExpectPage(std::int64_t first, int count) {
    const TFastLineSeries& series = *form->Chart2->Series(1);
    ASSERT_EQ(series.Count(), count);
    EXPECT_EQ(State().PointsShown, count);
    if (count == 0) return;
    EXPECT_EQ(series.XValue(0), 0);
    EXPECT_EQ(series.YValue(0), RecordValue(first, 1));
    EXPECT_EQ(series.YValue(count - 1), RecordValue(first + count - 1, 1));
    const TDateTime firstTime = MsToDateTime(DateTimeToMs(TestTime(14, 0, 0)) + first * 5000);
    EXPECT_EQ(form->Chart2->Series(0)->Label(0),
              QString::fromStdString(FormatDateTime(kDisplayDateTimePattern, firstTime)));
  }
  bool NextEnabled() const { return form->Button_histr_next->isEnabled(); }
  bool BackEnabled() const { return form->Button_histr_back->isEnabled(); }
};

TEST_F(ViewerPagingTest, ForwardToTheLastPageAndBackToTheFirst) {
  WriteAndOpen("p.vq", 2, 45000, 5);
  form->Chart2->Series(1)->SetColor(clFuchsia);  // a colour picked by the user

  form->Button_histr_nextClick();
  ExpectPage(20000, 20000);
  EXPECT_EQ(form->Label_histr_pagecount->text(), QStringLiteral("( 3 // 2 )Page"));
  EXPECT_TRUE(NextEnabled());
  EXPECT_TRUE(BackEnabled());
  EXPECT_TRUE(form->Chart2->Series(1)->Title().isEmpty());
  EXPECT_NE(form->Chart2->Series(1)->Color(), clFuchsia);

  form->Button_histr_nextClick();
  ExpectPage(40000, 5000);
  EXPECT_FALSE(NextEnabled());

  form->Button_histr_backClick();
  ExpectPage(20000, 20000);
  EXPECT_EQ(form->Label_histr_pagecount->text(), QStringLiteral("( 3 // 2 )Page"));
  EXPECT_TRUE(NextEnabled());
  EXPECT_TRUE(BackEnabled());

  form->Button_histr_backClick();
  ExpectPage(0, 20000);
  EXPECT_FALSE(BackEnabled());
  EXPECT_EQ(State().PageStartPos, kHistoryHeaderSize);
  EXPECT_EQ(form->BusyReading, 0);
}

TEST_F(ViewerPagingTest, WholeNumberOfPagesEndsWithAnEmptyPage) {
  WriteAndOpen("p.vq", 2, 40000, 5);
  form->Button_histr_nextClick();
  ExpectPage(20000, 20000);
  EXPECT_TRUE(NextEnabled());
  form->Button_histr_nextClick();
  ExpectPage(40000, 0);
  EXPECT_FALSE(NextEnabled());
  EXPECT_EQ(form->Chart2->SeriesCount(), 2);
}

TEST_F(ViewerPagingTest, FileGoneLeavesThePageAsItWas) {
  const std::string path = WriteAndOpen("p.vq", 2, 25000, 5);
  std::filesystem::remove(path);
  form->Button_histr_nextClick();
  ExpectPage(0, 20000);
  EXPECT_EQ(State().CurrentPage, 1);
  EXPECT_TRUE(messageBoxes.isEmpty());
}

TEST_F(ViewerPagingTest, FileThatCanNoLongerBeShownIsRefusedAndThePageStays) {
  const std::string path = WriteAndOpen("p.vq", 2, 25000, 5);
  const std::int32_t none = 0;  // no channel to show
  ASSERT_TRUE(WriteExistingFileAt(path, offsetof(THistoryFileHeader, ChannelCount), &none,
                                  sizeof none)
                  .ok());
  form->Button_histr_nextClick();
  ExpectPage(0, 20000);
  EXPECT_EQ(State().CurrentPage, 1);
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_TRUE(messageBoxes[0].contains(QStringLiteral("p.vq"))) << messageBoxes[0].toStdString();
  EXPECT_EQ(form->BusyReading, 0);
}

TEST_F(ViewerPagingTest, FileWithIntervalZeroPagesWithEveryLabelAtTheStart) {
  WriteAndOpen("p.vq", 2, 25000, 0);
  form->Button_histr_nextClick();
  EXPECT_TRUE(messageBoxes.isEmpty());
  const TFastLineSeries& series = *form->Chart2->Series(1);
  ASSERT_EQ(series.Count(), 5000);
  EXPECT_EQ(series.YValue(0), RecordValue(20000, 1));
  EXPECT_EQ(form->Chart2->Series(0)->Label(4999), QStringLiteral("24-03-05 14:00:00"));
  EXPECT_EQ(State().CurrentPage, 2);
  EXPECT_FALSE(NextEnabled());
  EXPECT_TRUE(BackEnabled());
}

}  // namespace
