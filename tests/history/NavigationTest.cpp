// Chart navigation and the cross-hair read-out of the history window.

#include <QApplication>
#include <QDateEdit>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimeEdit>

#include <cmath>
#include <fstream>

#include "history/DatePickers.h"
#include "platform/gui/Chart.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "tests/history/ViewerFixture.h"

namespace {

class NavigationTest : public ViewerTest {
 protected:
  // A file of 1,000 records of 3 channels, shown on the screen so that the chart has a picture.
  void OpenThousandPoints() {
    WriteAndOpen("n.vq", 3, 1000, 60);
    form->show();
    picture = Picture();
  }
  // The chart's own picture, without the labels and panels that lie on it.
  QImage Picture() const {
    QImage image(form->Chart2->size(), QImage::Format_RGB32);
    form->Chart2->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
  }
  void SetRange(const char* down, const char* up) {
    form->ME_histr_down->setText(QString::fromUtf8(down));
    form->ME_histr_up->setText(QString::fromUtf8(up));
    messageBoxes.clear();
    form->but_mod_upClick();
  }
  void Move(int x, int y) { form->Chart2MouseMove(Qt::NoModifier, x, y); }

  QImage picture;
};

TEST_F(NavigationTest, RangeSettingKeepsTheAxisApartInEitherDirection) {
  SetRange("5", "5");
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_TRUE(messageBoxes[0].endsWith(
      QStringLiteral("|The maximum range should be higher than the minimum range!")));
  EXPECT_EQ(form->Chart2->LeftAxis().Maximum, 1000);

  struct Step {
    const char *down, *up;
    double min, max;
  };
  // Above the present range (maximum first), below it (minimum first), then float32 values.
  for (const Step& s : {Step{"2000", "3000", 2000, 3000}, Step{"100", "1000", 100, 1000},
                        Step{"-50", "50", -50, 50}, Step{"0.1", "0.3", 0.1f, 0.3f}}) {
    SetRange(s.down, s.up);
    EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join(" ").toStdString();
    EXPECT_EQ(form->Chart2->LeftAxis().Minimum, s.min) << s.down;
    EXPECT_EQ(form->Chart2->LeftAxis().Maximum, s.max) << s.up;
    EXPECT_FALSE(form->Chart2->LeftAxis().Automatic);
  }
}

TEST_F(NavigationTest, RangeTextsThatAreNoFloat32NumberChangeNothing) {
  for (const char* up : {"abc", "1E39"}) {
    errorBoxes.clear();
    form->ME_histr_up->setText(QString::fromUtf8(up));
    RunGuarded([&] { form->but_mod_upClick(); });
    EXPECT_EQ(errorBoxes.size(), 1) << up;
    EXPECT_EQ(form->Chart2->LeftAxis().Maximum, 1000) << up;
  }
}

TEST_F(NavigationTest, ZoomTrackBarAndResume) {
  OpenThousandPoints();
  EXPECT_FALSE(form->tb_histr_time->isEnabled());  // the open ends unzoomed
  form->Button11Click();
  form->Button11Click();
  // 115 % twice: 0..999 becomes 149.85..849.15, then 254.745..744.255, which starts 25.5 % into
  // the data.
  EXPECT_TRUE(form->tb_histr_time->isEnabled());
  EXPECT_NEAR(form->Chart2->BottomAxis().Minimum, 254.745, 1e-9);
  EXPECT_EQ(form->tb_histr_time->value(), 25);

  form->Chart2->SetBottomAxisMinMax(0, 100);
  form->tb_histr_time->setValue(50);
  EXPECT_DOUBLE_EQ(form->Chart2->BottomAxis().Minimum, 499.5);
  EXPECT_DOUBLE_EQ(form->Chart2->BottomAxis().Maximum, 599.5);

  form->but_unzoomClick();
  EXPECT_FALSE(form->tb_histr_time->isEnabled());
  EXPECT_TRUE(form->Chart2->BottomAxis().Automatic);
  EXPECT_EQ(form->Chart2->LeftAxis().Minimum, 0);
  EXPECT_EQ(form->Chart2->LeftAxis().Maximum, 1000);
}

TEST_F(NavigationTest, ReadOutAtTheLastPointAndOutsideThePlot) {
  OpenThousandPoints();
  const QRect plot = form->Chart2->PlotRect();
  // The largest X of the data lies on the plot's right edge: the read-out shows the last point,
  // never one past it.
  Move(plot.right(), plot.center().y());
  const QString text = form->Label_histr_oncross->text();
  EXPECT_TRUE(text.startsWith(QStringLiteral("Current Time: 24-03-06 06:39:00    Y Coordinate: ")))
      << text.toStdString();
  EXPECT_TRUE(text.endsWith(QStringLiteral("      ")));
  EXPECT_EQ(form->ChannelControlList[2].ValueEdit->text(), QStringLiteral("9992"));

  // Leaving the plot takes the cross-hair away and keeps the read-out.
  Move(plot.left() - 2, plot.center().y());
  EXPECT_FALSE(form->Chart2->CrossHair());
  EXPECT_EQ(Picture(), picture);
  EXPECT_EQ(form->Label_histr_oncross->text(), text);
}

TEST_F(NavigationTest, MovesRepaintNoCurveAndReadTheValuesUnderTheMouse) {
  OpenThousandPoints();
  QApplication::processEvents();
  const QImage clean = Picture();
  const std::int64_t draws = form->Chart2->PictureDraws();
  const QRect plot = form->Chart2->PlotRect();
  for (int step = 0; step <= 10; ++step) {
    // Point k of 1,000 lies at the fraction k / 999 of the plot's width.
    const std::int64_t k = step * 99;
    const int x = form->Chart2->BottomAxisPixelOf(static_cast<double>(k));
    const QPointF at(x, plot.top() + 10 + step);
    QMouseEvent move(QEvent::MouseMove, at, form->Chart2->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form->Chart2, &move);
    QApplication::processEvents();
    EXPECT_EQ(form->Chart2->CrossHair(), QPoint(x, plot.top() + 10 + step));
    const std::int64_t shown = std::stoll(form->ChannelControlList[0].ValueEdit->text().toStdString());
    // The point under the pixel: k, give or take the pixel's rounding and the read-out's scale
    // (the index runs over PointsShown = 1,000 positions on a span of 999).
    EXPECT_LE(std::abs(shown - RecordValue(k, 0)), 20) << k;
    EXPECT_EQ(form->ChannelControlList[2].ValueEdit->text().toStdString(),
              std::to_string(shown + 2));
  }
  EXPECT_EQ(form->Chart2->PictureDraws(), draws) << "a move redraws no curve";
  // The picture on the screen is the cached one with the cross-hair over it.
  EXPECT_FALSE(Picture() == clean);
  form->Chart2->ClearCrossHair();
  EXPECT_TRUE(Picture() == clean);
}

// The room for text in a value box: its contents as its style lays them out, less the margins
// the edit keeps at both ends of its text and the cursor's pixel.
int TextRoom(const QLineEdit& edit) {
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.rect = edit.rect();
  option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
  option.state |= QStyle::State_Sunken;
  return edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit).width() - 5;
}

TEST_F(NavigationTest, ReadOutsShowTheirWholeTexts) {
  // Record 0 holds texts longer than a value box holds in its design font, whose first part
  // alone reads as another number ("1.2346E-1" of 1.2346E-10); channel 6 a short one.
  const std::string path = dir.File("long.vq");
  WriteHistoryFile(path, 7, 2, 60);
  const float values[] = {-1.2345E-5f, 1.2346E-10f, -1.2346E10f, -0.00012346f,
                          -1.2346E-25f, -8.8888E-38f, 25};
  {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(kHistoryHeaderSize);
    file.write(reinterpret_cast<const char*>(values), sizeof values);
  }
  Open(path);
  // A Y range whose labels are long, so that the time read-out needs more than its design width.
  SetRange("-300000000000000000000000000000000000000", "300000000000000000000000000000000000000");
  form->show();
  const QRect plot = form->Chart2->PlotRect();
  Move(plot.left(), plot.bottom());

  const char* texts[] = {"-1.2345E-5", "1.2346E-10", "-1.2346E10", "-0.00012346",
                         "-1.2346E-25", "-8.8888E-38", "25"};
  for (int channel = 0; channel < 7; ++channel) {
    QLineEdit& edit = *form->ChannelControlList[channel].ValueEdit;
    ASSERT_EQ(edit.text(), QString::fromLatin1(texts[channel]));
    EXPECT_LE(QFontMetrics(edit.font()).horizontalAdvance(edit.text()), TextRoom(edit))
        << texts[channel];
    EXPECT_LE(edit.width(), 60) << texts[channel];
    // Nothing is scrolled out of sight: the box shows the same from either end of its text.
    edit.end(false);
    const QImage fromEnd = edit.grab().toImage();
    edit.home(false);
    EXPECT_TRUE(fromEnd == edit.grab().toImage()) << texts[channel];
  }
  // A text that fits keeps the design font.
  EXPECT_EQ(form->ChannelControlList[6].ValueEdit->font().pointSize(), 10);
  EXPECT_TRUE(form->ChannelControlList[6].ValueEdit->font().bold());

  // The longest time read-out fits its design width; in a narrow window its font steps down
  // so that it still ends within the chart, and in a very narrow one it takes two lines.
  QLabel& line = *form->Label_histr_oncross;
  for (const int windowWidth : {800, 650}) {
    form->setWindowState(Qt::WindowNoState);
    form->resize(windowWidth, 600);
    QApplication::processEvents();
    Move(form->Chart2->PlotRect().left(), form->Chart2->PlotRect().bottom());
    QString shown = line.text();
    while (shown.endsWith(QLatin1Char(' '))) shown.chop(1);
    EXPECT_TRUE(
        shown.startsWith(QStringLiteral("Current Time: 24-03-05 14:00:00    Y Coordinate: -")))
        << shown.toStdString();
    ASSERT_GT(QFontMetrics(form->font()).horizontalAdvance(shown), form->Chart2->width() - line.x())
        << "the text must not fit at the design size for this check";
    EXPECT_LE(line.geometry().right(), form->Chart2->width()) << windowWidth;
    EXPECT_LT(QFontInfo(line.font()).pixelSize(), QFontInfo(form->font()).pixelSize());
    const QRect needed = QFontMetrics(line.font()).boundingRect(
        line.contentsRect(), Qt::TextWordWrap | Qt::AlignLeft, shown);
    EXPECT_LE(needed.width(), line.contentsRect().width()) << windowWidth;
    EXPECT_LE(needed.height(), line.contentsRect().height()) << windowWidth;
  }
  EXPECT_TRUE(line.wordWrap());
  EXPECT_GT(line.height(), TForm1::kReadOutLineHeight);
}

TEST_F(NavigationTest, CrossHairShowsRedOverAnyBackColourAndDiesWithARepaint) {
  OpenThousandPoints();
  const QRect plot = form->Chart2->PlotRect();
  // Far right the curves run above the axis: only the back wall lies under this point.
  const QPoint at(plot.right() - 5, plot.top() + plot.height() / 2);
  for (TColor back : {clWhite, clNavy}) {
    form->Chart2->SetBackColor(back);
    picture = Picture();  // a new picture: whatever was drawn over the old one is gone
    EXPECT_FALSE(form->Chart2->CrossHair());
    Move(at.x(), at.y());
    const QImage shown = Picture();
    EXPECT_EQ(QColor(shown.pixel(at.x(), at.y() + 20)), QColor(Qt::red)) << back;
    EXPECT_EQ(QColor(shown.pixel(at.x() - 20, at.y())), QColor(Qt::red)) << back;
    Move(at.x(), at.y());  // erased at the old place, drawn at the same: unchanged
    EXPECT_EQ(Picture(), shown);
  }
}

TEST_F(NavigationTest, PanningFollowsOnTheTrackBarAndZoomOutKeepsItInRange) {
  OpenThousandPoints();
  const QRect plot = form->Chart2->PlotRect();
  // A right-button drag to the left shows what lies to the right of the view.
  QTest::mousePress(form->Chart2, Qt::RightButton, {}, plot.center());
  QTest::mouseMove(form->Chart2, plot.center() - QPoint(80, 0));
  QTest::mouseRelease(form->Chart2, Qt::RightButton, {}, plot.center() - QPoint(80, 0));
  const double minimum = form->Chart2->BottomAxis().Minimum;
  ASSERT_GT(minimum, 0);
  EXPECT_TRUE(form->tb_histr_time->isEnabled());
  EXPECT_EQ(form->tb_histr_time->value(), static_cast<int>(std::floor(minimum * 100 / 999)));

  form->but_unzoomClick();
  EXPECT_FALSE(form->tb_histr_time->isEnabled());
  // 85 %: 0..999 becomes -149.85..1148.85, which starts before the data: position 0.
  form->Button12Click();
  EXPECT_NEAR(form->Chart2->BottomAxis().Minimum, -149.85, 1e-9);
  EXPECT_NEAR(form->Chart2->BottomAxis().Maximum, 1148.85, 1e-9);
  EXPECT_TRUE(form->tb_histr_time->isEnabled());
  EXPECT_EQ(form->tb_histr_time->value(), 0);
  EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join(" ").toStdString();
}

TEST_F(NavigationTest, OnePointPerCurveDrawsTheCrossHairButReadsNothing) {
  WriteAndOpen("one.vq", 2, 1, 60);
  form->show();
  picture = Picture();
  const QRect plot = form->Chart2->PlotRect();
  Move(plot.center().x(), plot.center().y());
  EXPECT_EQ(form->Chart2->CrossHair(), plot.center());
  EXPECT_NE(Picture(), picture);
  EXPECT_EQ(form->Label_histr_oncross->text(), QStringLiteral("Current Time"));
  EXPECT_EQ(form->ChannelControlList[1].ValueEdit->text(), QStringLiteral("0.0"));

  // No extent to place the view in: a zoom enables the track bar and leaves its position.
  form->tb_histr_time->setValue(40);
  form->Button11Click();
  EXPECT_TRUE(form->tb_histr_time->isEnabled());
  EXPECT_EQ(form->tb_histr_time->value(), 40);
  EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join(" ").toStdString();
}

TEST_F(NavigationTest, ReadOutOfASearchedWindowEndsAtItsLastPoint) {
  WriteAndOpen("s.vq", 3, 10, 60);
  for (auto* picker : {static_cast<QDateTimeEdit*>(form->DateTimer_give_date),
                       static_cast<QDateTimeEdit*>(form->DateTimer_give_time)}) {
    SetPickerDateTime(*picker, TestTime(14, 2, 30));
  }
  for (auto* picker : {static_cast<QDateTimeEdit*>(form->DateTimePickerEndDate),
                       static_cast<QDateTimeEdit*>(form->DateTimePickerEndTime)}) {
    SetPickerDateTime(*picker, TestTime(14, 5, 0));
  }
  form->Button1Click();
  ASSERT_EQ(State().PointsShown, 3);
  form->show();
  const QRect plot = form->Chart2->PlotRect();
  Move(plot.right(), plot.center().y());
  EXPECT_TRUE(form->Label_histr_oncross->text().startsWith(
      QStringLiteral("Current Time: 24-03-05 14:04:30    Y Coordinate: ")))
      << form->Label_histr_oncross->text().toStdString();
  EXPECT_EQ(form->ChannelControlList[0].ValueEdit->text(), QStringLiteral("40"));
  EXPECT_EQ(form->ChannelControlList[2].ValueEdit->text(), QStringLiteral("42"));
}

TEST_F(NavigationTest, PrintPreviewShowsTheChartWithoutMargins) {
  int previews = 0;
  ScopedModalHook modal([&](QDialog& dialog) {
    previews += dynamic_cast<QPrintPreviewDialog*>(&dialog) != nullptr;
    EXPECT_EQ(form->Chart2->PrintMargins(), QMargins(0, 0, 0, 0));
    return int{mrCancel};
  });
  form->Button5->click();
  EXPECT_EQ(previews, 1);
  EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join(" ").toStdString();
}

TEST_F(NavigationTest, NothingHappensWhileNoFileIsShown) {
  form->show();
  picture = Picture();
  const QRect plot = form->Chart2->PlotRect();
  Move(plot.center().x(), plot.center().y());
  EXPECT_FALSE(form->Chart2->CrossHair());
  EXPECT_EQ(Picture(), picture);
  EXPECT_EQ(form->Label_histr_oncross->text(), QStringLiteral("Current Time"));
}

}  // namespace
