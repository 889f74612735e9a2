// What the user sees while the viewer reads: the progress gauge advances, and the curves are
// drawn once, when the reading has ended, whatever the number of blocks read.

#include <QApplication>
#include <QDateEdit>
#include <QProgressBar>
#include <QTimeEdit>

#include "history/DatePickers.h"
#include "platform/gui/Chart.h"
#include "tests/history/ViewerFixture.h"

namespace {

// Counts the paints of a widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

class ViewerDrawingTest : public ViewerTest {
 protected:
  // Runs one reading handler with the window on the screen, then lets the event loop paint what
  // it left; returns how often the chart's picture was drawn meanwhile.
  std::int64_t DrawsOf(const std::function<void()>& handler) {
    QApplication::processEvents();
    const std::int64_t before = form->Chart2->PictureDraws();
    gauge.paints = 0;
    handler();
    QApplication::processEvents();
    return form->Chart2->PictureDraws() - before;
  }

  PaintCounter gauge{*form->CGauge1};
};

TEST_F(ViewerDrawingTest, EachReadDrawsTheCurvesOnceWhileTheGaugeAdvances) {
  // 64 channels: a page of 20,000 records is read in several blocks.
  const std::string path = dir.File("d.vq");
  WriteHistoryFile(path, 64, 45000, 1);
  form->show();

  EXPECT_EQ(DrawsOf([&] { Open(path); }), 1);
  EXPECT_GE(gauge.paints, 3);
  EXPECT_EQ(form->Chart2->Series(63)->Count(), 20000);

  EXPECT_EQ(DrawsOf([&] { form->Button_histr_nextClick(); }), 1);
  EXPECT_GE(gauge.paints, 3);
  EXPECT_EQ(form->Chart2->Series(0)->YValue(0), RecordValue(20000, 0));

  EXPECT_EQ(DrawsOf([&] { form->Button_histr_backClick(); }), 1);
  EXPECT_GE(gauge.paints, 3);

  const TDateTime start = TestTime(14, 0, 0);
  const TDateTime end = MsToDateTime(DateTimeToMs(start) + 40000 * 1000LL);
  SetPickerDateTime(*form->DateTimer_give_date, start);
  SetPickerDateTime(*form->DateTimer_give_time, start);
  SetPickerDateTime(*form->DateTimePickerEndDate, end);
  SetPickerDateTime(*form->DateTimePickerEndTime, end);
  EXPECT_EQ(DrawsOf([&] { form->Button1Click(); }), 1);
  EXPECT_GE(gauge.paints, 3);
  EXPECT_EQ(State().PointsShown, 40001);
  EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join(" ").toStdString();

  // Afterwards the chart draws again whenever the user's own actions need it.
  EXPECT_EQ(DrawsOf([&] { form->Button11Click(); }), 1);
}

}  // namespace
