// The real-time trend page: series and check boxes rebuilt by run mode, the per-tick scroll, the
// curve switches and the option controls, on a main window in a temporary application directory.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPrintPreviewDialog>
#include <QPushButton>

#include "common/AppPaths.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/UpDown.h"
#include "station/app/parts/ConfigFile.h"
#include "tests/app/CycleTestSupport.h"

namespace {

// Outside every polling list (beyond COM40): run mode starts no thread for these meters.
constexpr std::uint8_t kUnpolledCom = kComPortCount;

class TrendTest : public CycleTest {
 protected:
  TrendTest() {
    EXPECT_TRUE(CreateConfigFileIfMissing(ConfigPath()).ok());
    TMeterRecord& boiler = AddMeter("Boiler", {"T1", "T2"});
    boiler.Channels[0].Colour = clRed;
    boiler.Channels[1].Colour = clGreen;
    AddMeter("Tank", {"L1"}).Channels[0].Colour = clBlue;
    for (int m = 0; m < Table().MeterCount; ++m) Meter(m).ComIndex = kUnpolledCom;
  }

  static std::string ConfigPath() { return AppPath("\\Config.dat"); }
  TChart& Chart() { return *form->chart_RealTimeCurves; }
  std::vector<bool> ActiveSeries() {
    std::vector<bool> active;
    for (int i = 0; i < Chart().SeriesCount(); ++i) active.push_back(Chart().Series(i)->Active());
    return active;
  }
  std::vector<bool> CheckedBoxes() {
    std::vector<bool> checked;
    for (QCheckBox* box : form->CurveCheckBoxList) checked.push_back(box->isChecked());
    return checked;
  }
};

TEST_F(TrendTest, RunModeBuildsAFlatCurveAndACheckedBoxPerChannel) {
  form->upDown_CurvesWidth->setValue(3);
  form->EnterRunMode();
  ASSERT_EQ(Chart().SeriesCount(), 3);
  const char* titles[] = {"BoilerT1", "BoilerT2", "TankL1"};
  const TColor colours[] = {clRed, clGreen, clBlue};
  for (int i = 0; i < 3; ++i) {
    const TFastLineSeries& series = *Chart().Series(i);
    EXPECT_EQ(series.Title(), titles[i]);
    EXPECT_EQ(series.Color(), colours[i]);
    EXPECT_EQ(series.Count(), Tfm_MainForm::kTrendPoints);
    EXPECT_EQ(series.YValue(0), 0.0f);
    EXPECT_EQ(series.YValue(999), 0.0f);
    EXPECT_EQ(series.Label(999), " ");
    EXPECT_EQ(series.LineWidth(), 1);  // whatever the up-down shows
    EXPECT_TRUE(series.Active());
  }
  EXPECT_EQ(form->upDown_CurvesWidth->value(), 3);
  EXPECT_EQ(Chart().cursor().shape(), Qt::CrossCursor);
  EXPECT_FALSE(Chart().LegendVisible());

  ASSERT_EQ(form->CurveCheckBoxList.size(), 3u);
  const int tops[] = {32, 48, 80};  // an empty row after each meter
  for (int i = 0; i < 3; ++i) {
    QCheckBox* box = form->CurveCheckBoxList[i];
    EXPECT_EQ(box->y(), tops[i]);
    EXPECT_EQ(box->x(), 8);
    EXPECT_EQ(box->width(), 200);
    EXPECT_EQ(box->text(), titles[i]);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(box->parentWidget(), form->scrBox_CurvesSelectList->Content());
  }
  // Run mode again: the same boxes, not twice as many.
  form->EnterRunMode();
  EXPECT_EQ(form->scrBox_CurvesSelectList->Content()->findChildren<QCheckBox*>().size(), 4);
}

TEST_F(TrendTest, EachTickScrollsEveryCurveByOnePointLabelledWithTheTickTime) {
  form->RebuildTrendSeries();
  StartRun();
  for (int tick = 1; tick <= 3; ++tick) {
    Meter(0).Values[0] = 10.5f * tick;
    Meter(1).Values[0] = -tick;
    Tick();
  }
  const TFastLineSeries& first = *Chart().Series(0);
  const TFastLineSeries& third = *Chart().Series(2);
  EXPECT_EQ(first.Count(), Tfm_MainForm::kTrendPoints);
  EXPECT_EQ(first.XValue(999) - first.XValue(0), 999);
  EXPECT_EQ(first.YValue(999), 31.5f);
  EXPECT_EQ(first.YValue(997), 10.5f);
  EXPECT_EQ(first.YValue(996), 0.0f);
  EXPECT_EQ(third.YValue(998), -2.0f);
  EXPECT_EQ(first.Label(999), "19-12-03 14:05:11");
  EXPECT_EQ(third.Label(997), "19-12-03 14:05:09");
  EXPECT_EQ(first.Label(996), " ");
  // A channel without a series (a run mode that ended early) is skipped, not an error.
  form->Animate(3, "19-12-03 14:05:12", 1.0);
  form->Animate(-1, "19-12-03 14:05:12", 1.0);
  EXPECT_EQ(Chart().SeriesCount(), 3);
}

TEST_F(TrendTest, CurveBoxesAndAllSwitchTheSeries) {
  form->EnterRunMode();
  std::vector<QCheckBox*>& boxes = form->CurveCheckBoxList;
  // A click on one box sets every series from every box.
  boxes[0]->setChecked(false);
  boxes[2]->setChecked(false);
  EXPECT_EQ(ActiveSeries(), (std::vector<bool>{true, true, true}));
  boxes[1]->click();
  EXPECT_EQ(ActiveSeries(), (std::vector<bool>{false, false, false}));
  boxes[1]->click();
  EXPECT_EQ(ActiveSeries(), (std::vector<bool>{false, true, false}));

  form->chkBox_SelectAllCurves->click();  // unchecked: everything off
  EXPECT_EQ(CheckedBoxes(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(ActiveSeries(), (std::vector<bool>{false, false, false}));
  form->chkBox_SelectAllCurves->click();
  EXPECT_EQ(CheckedBoxes(), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(ActiveSeries(), (std::vector<bool>{true, true, true}));

  form->chkBox_SelectAllCurves->click();
  form->EnterRunMode();  // the next run shows every curve again
  EXPECT_TRUE(form->chkBox_SelectAllCurves->isChecked());
  EXPECT_EQ(CheckedBoxes(), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(ActiveSeries(), (std::vector<bool>{true, true, true}));
}

TEST_F(TrendTest, RangeIsTruncatedCheckedAppliedAndStored) {
  struct Case {
    const char* low;
    const char* high;
    const char* message;  // nullptr: taken
    float storedLow, storedHigh;
    const char* lowEdit;  // the edits afterwards
    const char* highEdit;
  };
  const Case cases[] = {
      {"0", "500", nullptr, 0, 500, "0", "500"},
      {"-20.7", "123456.9", nullptr, -20, 123456, "-20.7", "123456.9"},
      {"10.9", "10.2", "Error|Please set the trend' high range value higher than the trend' low "
                       "range value!", 1, 2, "1", "2"},
      {"-0.5", "0.7", "Error|Please set the trend' high range value higher than the trend' low "
                      "range value!", 1, 2, "1", "2"},
      {"abc", "500", "Error|Data Error!", 1, 2, "abc", "500"},
      {"0", "1e40", "Error|Data Error!", 1, 2, "0", "1e40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.low) + " .. " + c.high);
    ASSERT_TRUE(form->Configuration().SetCurveRange(1, 2).ok());
    Chart().SetLeftAxisMinMax(1, 2);
    messageBoxes.clear();
    form->ed_CurvesMix->setText(c.low);
    form->ed_CurvesMax->setText(c.high);
    form->btn_SetCurvesRange->click();

    EXPECT_EQ(messageBoxes, c.message ? QStringList{c.message} : QStringList{});
    EXPECT_EQ(form->Configuration().CurveRangeLow(), c.storedLow);
    EXPECT_EQ(form->Configuration().CurveRangeHigh(), c.storedHigh);
    float fileLow = 0, fileHigh = 0;
    EXPECT_EQ(LoadCurveRange(ConfigPath(), fileLow, fileHigh), "");
    EXPECT_EQ(fileLow, c.storedLow);
    EXPECT_EQ(fileHigh, c.storedHigh);
    EXPECT_EQ(Chart().LeftAxis().Minimum, c.storedLow);
    EXPECT_EQ(Chart().LeftAxis().Maximum, c.storedHigh);
    EXPECT_FALSE(Chart().LeftAxis().Automatic);
    EXPECT_EQ(form->ed_CurvesMix->text(), c.lowEdit);
    EXPECT_EQ(form->ed_CurvesMax->text(), c.highEdit);
  }
}

TEST_F(TrendTest, WidthArrowAtItsLimitReappliesTheShownWidthAfterARebuild) {
  form->EnterRunMode();
  for (int press = 0; press < 12; ++press) form->upDown_CurvesWidth->stepUp();
  EXPECT_EQ(form->upDown_CurvesWidth->value(), 10);
  form->EnterRunMode();  // rebuilt series are 1 wide whatever the arrows show
  ASSERT_GT(Chart().SeriesCount(), 0);
  EXPECT_EQ(Chart().Series(0)->LineWidth(), 1);
  form->upDown_CurvesWidth->stepUp();
  for (int i = 0; i < Chart().SeriesCount(); ++i) EXPECT_EQ(Chart().Series(i)->LineWidth(), 10);
}

TEST_F(TrendTest, OptionControlsChangeTheChartAndTheBackColourIsStored) {
  form->EnterRunMode();
  for (int press = 0; press < 3; ++press) form->upDown_CurvesWidth->stepUp();
  for (int i = 0; i < Chart().SeriesCount(); ++i) EXPECT_EQ(Chart().Series(i)->LineWidth(), 4);

  QComboBox& colours = *form->colorBox_CurvesBackColor;
  const int yellow = colours.findText("Yellow");
  ASSERT_GE(yellow, 0);
  colours.setCurrentIndex(yellow);
  emit colours.activated(yellow);  // as the operator's pick
  EXPECT_EQ(Chart().BackColor(), clYellow);
  EXPECT_EQ(form->Configuration().ChartBackColor(), clYellow);
  std::int32_t stored = 0;
  EXPECT_EQ(LoadChartBackColor(ConfigPath(), stored), "");
  EXPECT_EQ(stored, clYellow);

  Chart().SetLeftAxisMinMax(0, 500);
  form->btn_CurvesZoomOut->click();  // captioned "Zoom In": 15 % in at each end
  EXPECT_DOUBLE_EQ(Chart().LeftAxis().Minimum, 75);
  EXPECT_DOUBLE_EQ(Chart().LeftAxis().Maximum, 425);
  form->btn_CurvesZoomIn->click();  // "Zoom Out": 15 % of the present span outward
  EXPECT_DOUBLE_EQ(Chart().LeftAxis().Minimum, 75 - 52.5);
  form->btn_CurvesResume->click();
  EXPECT_EQ(Chart().LeftAxis().Minimum, 0);
  EXPECT_EQ(Chart().LeftAxis().Maximum, 500);
  EXPECT_TRUE(Chart().BottomAxis().Automatic);

  Chart().SetPrintMargins({15, 15, 15, 15});
  int previews = 0;
  ScopedModalHook hook([&](QDialog& dialog) {
    previews += dynamic_cast<QPrintPreviewDialog*>(&dialog) != nullptr;
    EXPECT_EQ(Chart().PrintMargins(), QMargins(0, 0, 0, 0));
    return int{mrCancel};
  });
  form->btn_CurvesPrintPreview->click();
  EXPECT_EQ(previews, 1);
}

}  // namespace
