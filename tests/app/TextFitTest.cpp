// Every caption of the station can be read whole: the main window at its design size (every
// page and tab the operator can bring to the front), the sign-in, change-password and batch-add
// dialogs as their callers show them, and the alarm window as the alarm step shows it; each of
// them in the design face at the design height.

#include <gtest/gtest.h>

#include <QDialog>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"
#include "station/app/AlarmForm.h"
#include "tests/app/StartupFixture.h"
#include "tests/support/TextFit.h"

namespace {

using StationTextFitTest = StationDirTest;

TEST_F(StationTextFitTest, EveryWindowAndDialogShowsItsTextsWhole) {
  // A station with two meters, in run mode; the alarm window exists.
  MeterTable table;
  AddSerialMeter(table, 1, 0);
  AddEthernetMeter(table, 2, "127.0.0.1", 1);
  WriteConfig(table);
  LinkEveryComPortToNothing();
  Tfm_MainForm& main = StartStation();
  TFormAlarm alarm;
  main.SetAlarmWindow(alarm);
  main.StartupFinished();
  // The design size: the smallest the window is shown at (it opens maximised).
  main.setWindowState(Qt::WindowNoState);
  main.resize(Tfm_MainForm::kDesignWidth, Tfm_MainForm::kDesignHeight);
  main.timer_PerSecondTimer();  // the clock label shows the time
  QStringList problems = TextFitProblems(main);
  QStringList faces = {WindowFace(main)};

  // The dialogs, each checked while its caller shows it.
  ScopedModalHook hook([&](QDialog& dialog) {
    faces << WindowFace(dialog);
    problems << TextFitProblems(dialog);
    dialog.hide();
    // Sign in, so that the configuration-only dialogs follow as the operator reaches them.
    return dialog.objectName() == QStringLiteral("fm_LoginForm") ? int{mrOk} : int{mrCancel};
  });
  main.btn_LoginClick();
  ASSERT_FALSE(main.InRunMode());
  main.btn_ModifyPasswordClick();
  main.btn_MeterBatchAddClick();
  // Configuration mode enables controls; the texts stay.
  problems << TextFitProblems(main);

  // The alarm window, with the texts the alarm step gives it.
  main.ShowAlarm(AlarmSequence().AlarmTick(false));  // no delay: the first alarm tick
  ASSERT_TRUE(alarm.isVisible());
  faces << WindowFace(alarm);
  problems << TextFitProblems(alarm);

  EXPECT_TRUE(problems.isEmpty()) << "\n" << problems.join(QLatin1Char('\n')).toStdString();
  const QString design = QStringLiteral(": Liberation Sans 11");
  EXPECT_EQ(faces.join(QLatin1Char('\n')).toStdString(),
            QStringList({"fm_MainForm" + design, "fm_LoginForm" + design, "fm_ModifyPwForm" + design,
                         "fm_MeterBatchAddForm" + design, "FormAlarm" + design})
                .join(QLatin1Char('\n'))
                .toStdString());
}

}  // namespace
