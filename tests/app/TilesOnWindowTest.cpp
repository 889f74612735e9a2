#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "platform/gui/Colors.h"
#include "platform/gui/Containers.h"
#include "station/app/OverviewCanvas.h"
#include "tests/app/CycleTestSupport.h"

namespace {

class TilesOnWindowTest : public CycleTest {
 protected:
  const OverviewTile& TileOf(int t) const { return form->Cycle().Tiles().Tile(t); }
  std::int32_t ColourOf(int t) const { return TileOf(t).Colour; }
  // Tile colours over `count` ticks, each tick with the alarm delay still to run given here.
  std::vector<std::int32_t> Blink(int t, int count, std::int32_t alarmDelayCountdown = 0) {
    std::vector<std::int32_t> colours;
    for (int i = 0; i < count; ++i) {
      form->Cycle().Alarm().LoadDelay(alarmDelayCountdown);
      Tick();
      colours.push_back(ColourOf(t));
    }
    return colours;
  }
};

TEST_F(TilesOnWindowTest, AnOfflineMeterShowsErrStaysLimeAndRaisesNoAlarm) {
  TMeterRecord& meter = AddMeter("Boiler", {"T1"});
  StartRun();
  meter.Online = 0;
  meter.HHAFlags[0] = 1;
  Tick();
  EXPECT_EQ(TileOf(0).ValueText, "ERR");
  EXPECT_EQ(TileOf(0).AlarmText, " ");
  EXPECT_EQ(Blink(0, 3), (std::vector<std::int32_t>{clLime, clLime, clLime}));
  EXPECT_EQ(form->Cycle().AlarmActive(), 0);

  meter.Online = 1;
  Tick();
  EXPECT_EQ(form->Cycle().AlarmActive(), 1);
  meter.HHAFlags[0] = 0;
  Tick();
  EXPECT_EQ(form->Cycle().AlarmActive(), 0);  // cleared at the start of every tick
}

TEST_F(TilesOnWindowTest, AlarmedTilesBlinkRedOrYellowAndBlueWhileTheDelayRuns) {
  TMeterRecord& meter = AddMeter("Boiler", {"High", "Low", "Both"});
  StartRun();
  meter.HAFlags[0] = 1;
  meter.LLAFlags[1] = 1;
  meter.LLAFlags[2] = meter.HHAFlags[2] = 1;
  EXPECT_EQ(Blink(0, 3, 2), (std::vector<std::int32_t>{clBlue, clLime, clBlue}));
  // Once the delay has run out, the next non-lime phase is red for a high alarm.
  EXPECT_EQ(Blink(0, 2), (std::vector<std::int32_t>{clLime, clRed}));
  EXPECT_EQ(Blink(1, 2), (std::vector<std::int32_t>{clLime, clYellow}));  // LLA alone
  EXPECT_EQ(Blink(2, 2), (std::vector<std::int32_t>{clLime, clRed}));     // LLA and HHA
  EXPECT_EQ(form->Cycle().AlarmActive(), 1);
  // A resize rebuilds the tiles lime, so the blink starts again from its alarm colour.
  ASSERT_EQ(ColourOf(0), clRed);
  form->show();  // a hidden window gets its resize events only when shown
  form->resize(form->width() + 40, form->height());
  QCoreApplication::processEvents();
  EXPECT_EQ(ColourOf(0), clLime);
  EXPECT_EQ(Blink(0, 2), (std::vector<std::int32_t>{clRed, clLime}));
}

TEST_F(TilesOnWindowTest, TheCanvasInTheOverviewBoxPaintsTheTicksColours) {
  TMeterRecord& meter = AddMeter("Boiler", {"T1", "T2"});
  form->resize(1280, 900);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  StartRun();
  ASSERT_NE(form->overviewCanvas, nullptr);
  EXPECT_EQ(form->overviewCanvas->parentWidget(), form->scrBox_GeneralView->Content());
  meter.HAFlags[1] = 1;
  Tick();
  QCoreApplication::processEvents();
  const QImage view = form->scrBox_GeneralView->viewport()->grab().toImage();
  const auto pixelOf = [&](int t) {
    const QRect r = form->overviewCanvas->TileRectOf(t);
    return view.pixel(r.left() + 210, r.top() + 70);
  };
  EXPECT_EQ(pixelOf(0), QColor(Qt::green).rgb());
  EXPECT_EQ(pixelOf(1), QColor(Qt::red).rgb());
}

TEST_F(TilesOnWindowTest, AResizeOutsideRunModeRebuildsTheTilesFromTheEditedTable) {
  AddMeter("Boiler", {"T1"});
  form->show();
  StartRun();
  Tick();
  EXPECT_EQ(TileOf(0).ValueText, "0");
  AddMeter("Pump", {"P"});  // an edit of configuration mode
  form->resize(900, 700);
  QCoreApplication::processEvents();
  ASSERT_EQ(form->Cycle().Tiles().Count(), 2);
  EXPECT_EQ(TileOf(0).ValueText, "");
  EXPECT_EQ(TileOf(1).Title, "Pump--P");
}

TEST_F(TilesOnWindowTest, AResizeInRunModeRebuildsTheTilesAndFollowsTheWidth) {
  AddMeter("Boiler", {"T1", "T2", "T3", "T4", "T5", "T6"});
  form->resize(1010, 700);
  form->show();
  const ScopedFastSleep fastSleep;
  form->EnterRunMode();  // the meter's port has no device: its thread marks it offline
  form->StartupFinished();
  Tick();
  EXPECT_FALSE(TileOf(0).ValueText.empty());
  const int wideColumns = form->overviewCanvas->Layout().Columns;
  form->resize(500, 700);
  QCoreApplication::processEvents();
  // Built afresh: lime with empty texts until the next tick refreshes them.
  ASSERT_EQ(form->Cycle().Tiles().Count(), 6);
  EXPECT_EQ(TileOf(0).ValueText, "");
  EXPECT_EQ(TileOf(0).AlarmText, "");
  EXPECT_EQ(TileOf(0).Title, "Boiler--T1");
  Tick();
  EXPECT_FALSE(TileOf(0).ValueText.empty());
  EXPECT_LT(form->overviewCanvas->Layout().Columns, wideColumns);
  EXPECT_EQ(form->overviewCanvas->Layout().Columns,
            ComputeOverviewLayout(form->scrBox_GeneralView->width()).Columns);
  form->EnterConfigMode();
}

}  // namespace
