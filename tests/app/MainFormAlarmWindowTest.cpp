#include "station/app/AlarmForm.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>

#include <memory>

#include "platform/gui/Colors.h"
#include "platform/gui/Sound.h"
#include "station/app/MainForm.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

class AlarmWindowTest : public GuiTest {};

TEST_F(AlarmWindowTest, CreatedHiddenWithItsTwoButtonsOfTheDesign) {
  auto alarm = std::make_unique<TFormAlarm>();
  EXPECT_EQ(FormAlarm, alarm.get());
  EXPECT_TRUE(alarm->isHidden());
  EXPECT_TRUE(alarm->isWindow());
  EXPECT_EQ(alarm->size(), QSize(381, 157));
  ASSERT_NE(alarm->btnAlarmClearOk, nullptr);
  ASSERT_NE(alarm->btnAlarmSizeMin, nullptr);
  EXPECT_EQ(alarm->btnAlarmClearOk->objectName(), "btnAlarmClearOk");
  EXPECT_EQ(alarm->btnAlarmSizeMin->objectName(), "btnAlarmSizeMin");
  EXPECT_EQ(alarm->btnAlarmClearOk->geometry(), QRect(32, 32, 313, 25));
  EXPECT_EQ(alarm->btnAlarmSizeMin->geometry(), QRect(32, 72, 313, 25));
  EXPECT_EQ(alarm->palette().color(QPalette::Window), ToQColor(clBtnFace));
  alarm.reset();
  EXPECT_EQ(FormAlarm, nullptr);
}

TEST_F(AlarmWindowTest, ClosingTheMainWindowEndsTheLoopWhileTheAlarmWindowShows) {
  Tfm_MainForm main;
  TFormAlarm alarm;
  main.show();
  alarm.show();
  QTimer::singleShot(0, &main, [&main] { main.close(); });
  QTimer safety;  // ends a loop that would otherwise never end
  safety.setSingleShot(true);
  QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(1); });
  safety.start(5000);
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST_F(AlarmWindowTest, TheMainWindowDrivesTheAlarmWindowHandedToIt) {
  Tfm_MainForm main;
  TFormAlarm alarm;
  const AlarmActions sounding = AlarmSequence().AlarmTick(false);  // no delay: window and sound
  const ScopedPlaySoundHook quiet([](const std::string&) {});
  main.ShowAlarm(sounding);
  EXPECT_FALSE(alarm.isVisible()) << "a window that was not handed over is not the main window's";
  main.SetAlarmWindow(alarm);
  main.ShowAlarm(sounding);
  EXPECT_TRUE(alarm.isVisible());
  EXPECT_EQ(alarm.windowTitle(), "Over Limit Alarm");
}

}  // namespace
