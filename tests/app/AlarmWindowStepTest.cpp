#include <gtest/gtest.h>

#include <QPushButton>

#include <algorithm>
#include <string>
#include <vector>

#include "common/Errors.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Sound.h"
#include "station/app/AlarmForm.h"
#include "tests/app/CycleTestSupport.h"

namespace {


// The alarm step with its window: ticks are counted from the first tick of the alarm.
class AlarmStepTest : public CycleTest {
 protected:
  AlarmStepTest()
      : soundHook_([this](const std::string& path) {
          soundPath = path;
          plays.push_back(alarmTick_);
        }) {
    form->SetAlarmWindow(window);
  }

  // One meter, the delay text, a quiet first tick that loads it.
  void Start(const char* delay) {
    meter_ = &AddMeter("Boiler", {"T1"}, kNoTextRows);
    form->GSMedAlarmDelayT->setText(QString::fromLatin1(delay));
    form->SetAlarmSoundPath(dir.File("Alarm.wav"));
    alarmTick_ = 0;
    StartRun();
    Tick();
  }
  // Ticks with the alarm raised; returns whether the window showed after each.
  std::vector<bool> AlarmTicks(int count) {
    meter_->HAFlags[0] = 1;
    std::vector<bool> shown;
    for (int i = 0; i < count; ++i) {
      ++alarmTick_;
      Tick();
      shown.push_back(window.isVisible());
    }
    return shown;
  }
  void QuietTick() {
    meter_->HAFlags[0] = 0;
    alarmTick_ = 0;
    Tick();
  }

  TFormAlarm window;
  std::vector<int> plays;  // alarm tick of each play
  std::string soundPath;

 private:
  ScopedPlaySoundHook soundHook_;
  TMeterRecord* meter_ = nullptr;
  int alarmTick_ = 0;
};

TEST_F(AlarmStepTest, AfterTheDelayTheWindowBlinksRedAndSoundsEveryFourthSecond) {
  Start("10");
  std::vector<TColor> colours;
  for (int t = 1; t <= 20; ++t) {
    const bool shown = AlarmTicks(1).back();
    EXPECT_EQ(shown, t >= 11) << "tick " << t;
    colours.push_back(window.Color());
  }
  EXPECT_EQ(plays, (std::vector<int>{11, 15, 19}));
  EXPECT_EQ(soundPath, dir.File("Alarm.wav"));
  EXPECT_EQ(colours[9], clBtnFace);
  EXPECT_EQ(colours[10], clRed);
  EXPECT_EQ(colours[11], clBtnFace);
  EXPECT_EQ(colours[12], clRed);
  EXPECT_EQ(window.windowTitle(), "Over Limit Alarm");
  EXPECT_EQ(window.btnAlarmClearOk->text(), "Please eliminate the alarm sound for 15 minutes.");
  EXPECT_EQ(window.btnAlarmSizeMin->text(),
            "Please keep the alarm sound and minimize this window.");

  QuietTick();  // one quiet second hides the window and reloads the delay
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(form->Cycle().Alarm().AlarmDelayCountdown(), 10);
}

TEST_F(AlarmStepTest, SilenceHidesTheWindowForNineHundredTicksAfterTheNextOne) {
  Start("0");
  AlarmTicks(4);  // plays at 1, shown
  window.btnAlarmClearOk->click();  // during the fourth second
  EXPECT_EQ(window.ModalResult, 1);
  EXPECT_EQ(AlarmTicks(1), std::vector<bool>{false});  // tick 5 still sounds, then hides
  EXPECT_EQ(window.ModalResult, 0);
  const std::vector<bool> silenced = AlarmTicks(900);  // ticks 6 .. 905
  EXPECT_EQ(std::count(silenced.begin(), silenced.end(), true), 0);
  EXPECT_EQ(plays, (std::vector<int>{1, 5}));
  EXPECT_EQ(AlarmTicks(1), std::vector<bool>{true});  // tick 906
  EXPECT_EQ(plays, (std::vector<int>{1, 5, 906}));
}

TEST_F(AlarmStepTest, SilenceThenOneQuietSecondBringsTheSoundBackAfterTheDelay) {
  Start("3");
  AlarmTicks(4);  // sounds at 4
  window.btnAlarmClearOk->click();
  QuietTick();  // the alarm clears before the silence was taken
  EXPECT_EQ(window.ModalResult, 0);
  EXPECT_EQ(AlarmTicks(4), (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(plays, (std::vector<int>{4, 4}));
  EXPECT_EQ(AlarmTicks(4).back(), true);  // not silenced: the next play comes at 8
  EXPECT_EQ(plays, (std::vector<int>{4, 4, 8}));
}

TEST_F(AlarmStepTest, TheCloseBoxAndTheMinimiseButtonChangeNoState) {
  Start("-4");  // no delay: the first alarm tick sounds
  AlarmTicks(1);
  window.close();
  EXPECT_EQ(AlarmTicks(3), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(AlarmTicks(1), std::vector<bool>{true});  // the next play shows it again
  window.btnAlarmSizeMin->click();
  EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
  AlarmTicks(4);
  EXPECT_EQ(plays, (std::vector<int>{1, 5, 9}));
  EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);  // showing it again keeps it small
}

TEST_F(AlarmStepTest, ConfigurationModeLeavesTheWindowRedAndTheCountersAsTheLastTickDid) {
  Start("0");
  AlarmTicks(1);  // shown red, the sound played
  ASSERT_EQ(window.Color(), clRed);
  form->EnterConfigMode();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.Color(), clRed);
  EXPECT_EQ(form->Cycle().Alarm().SoundCountdown(), 3);
  EXPECT_EQ(plays, std::vector<int>{1});
}

TEST_F(AlarmStepTest, ADelayThatIsNotAWholeNumberFailsEveryQuietTickAndIsReportedOnce) {
  Start("0");
  AlarmTicks(1);
  form->GSMedAlarmDelayT->setText(QStringLiteral("1O"));
  for (int i = 0; i < 3; ++i) QuietTick();
  Settle();
  EXPECT_EQ(errorBoxes, QStringList{"'1O' is not a valid integer value"});
  // The alarm is over all the same: no window stays up claiming one.
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(form->Cycle().Alarm().AlarmDelayCountdown(), 0);  // the last value that converted
}

}  // namespace
