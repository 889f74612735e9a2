// Curve visibility and colours of the history window.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <optional>
#include <vector>

#include "history/ColorDialog.h"
#include "history/ColorPanel.h"
#include "platform/gui/Chart.h"
#include "tests/history/ViewerFixture.h"

namespace {

class CurvesTest : public ViewerTest {
 protected:
  // Answers every colour dialog with `answer` and records the colours they opened with.
  ScopedColorDialogHook ColorDialog(std::optional<TColor> answer) {
    return ScopedColorDialogHook([this, answer](TColor initial) {
      dialogOpenedWith.push_back(initial);
      return answer;
    });
  }
  void ExpectCurve(int i, bool shown) {
    EXPECT_EQ(form->ChannelControlList[i].CheckBox->isChecked(), shown) << i;
    EXPECT_EQ(form->Chart2->Series(i)->LineVisible(), shown) << i;
    EXPECT_EQ(View().CurveSelectedFlags()[i], shown ? 1 : 0) << i;
  }

  std::vector<TColor> dialogOpenedWith;
};

TEST_F(CurvesTest, ChannelBoxHidesTheLineButKeepsTheSeries) {
  WriteAndOpen("c.vq", 4, 10, 60);
  form->ChannelControlList[2].CheckBox->setChecked(false);
  ExpectCurve(2, false);
  for (int i : {0, 1, 3}) ExpectCurve(i, true);
  ASSERT_EQ(form->Chart2->SeriesCount(), 4);  // still in the chart and its legend
  EXPECT_EQ(form->Chart2->Series(2)->Count(), 10);

  // The read-out still fills the hidden channel's value.
  form->show();
  const QRect plot = form->Chart2->PlotRect();
  form->Chart2MouseMove(Qt::NoModifier, plot.right(), plot.center().y());
  EXPECT_EQ(form->ChannelControlList[2].ValueEdit->text(), QStringLiteral("92"));

  form->ChannelControlList[2].CheckBox->setChecked(true);
  ExpectCurve(2, true);
}

TEST_F(CurvesTest, AllSetsEveryBoxLineAndFlag) {
  WriteAndOpen("c.vq", 4, 10, 60);
  form->ChannelControlList[1].CheckBox->setChecked(false);
  form->CheckBox_allhisrt_curve->setChecked(false);
  for (int i = 0; i < 4; ++i) ExpectCurve(i, false);
  form->CheckBox_allhisrt_curve->setChecked(true);
  for (int i = 0; i < 4; ++i) ExpectCurve(i, true);
  // A single box does not change "ALL".
  form->ChannelControlList[0].CheckBox->setChecked(false);
  EXPECT_TRUE(form->CheckBox_allhisrt_curve->isChecked());
}

TEST_F(CurvesTest, CurveColourByChannelAndBackColour) {
  WriteAndOpen("c.vq", 4, 10, 60);
  form->Combox_histrch_color->setCurrentIndex(3);
  form->Combox_histrch_colorChange();
  EXPECT_EQ(form->Pnl_histr_color->Color(), form->Chart2->Series(3)->Color());

  {
    auto cancel = ColorDialog(std::nullopt);
    form->Pnl_histr_colorClick();
    EXPECT_EQ(form->Pnl_histr_color->Color(), form->Chart2->Series(3)->Color());
  }
  {
    auto red = ColorDialog(clRed);
    form->Pnl_histr_colorClick();
  }
  EXPECT_EQ(form->Chart2->Series(3)->Color(), clRed);
  EXPECT_EQ(form->Pnl_histr_color->Color(), clRed);
  EXPECT_EQ(form->ChannelControlList[3].ColorPanel->Color(), clRed);
  EXPECT_NE(form->Chart2->Series(2)->Color(), clRed);

  {
    auto navy = ColorDialog(clNavy);
    form->Panel_back_colorClick();
  }
  EXPECT_EQ(form->Chart2->BackColor(), clNavy);
  EXPECT_EQ(form->Panel_back_color->Color(), clNavy);
  // The shared dialog opens with the colour last chosen in it.
  ASSERT_EQ(dialogOpenedWith.size(), 3);
  EXPECT_EQ(dialogOpenedWith[2], clRed);
}

TEST_F(CurvesTest, NoChannelPickedDoesNothing) {
  auto red = ColorDialog(clRed);
  const TColor swatch = form->Pnl_histr_color->Color();
  form->Combox_histrch_colorChange();
  form->Pnl_histr_colorClick();
  EXPECT_TRUE(dialogOpenedWith.empty());
  EXPECT_EQ(form->Pnl_histr_color->Color(), swatch);
  EXPECT_TRUE(errorBoxes.isEmpty());
}

}  // namespace
