// Every caption of the station can be read whole: the main window at its design size (every
// page and tab the operator can bring to the front), the sign-in, change-password and batch-add
// dialogs as their callers show them, and the alarm window as the alarm step shows it.

#include <gtest/gtest.h>

#include <QDialog>
#include <QFontInfo>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"
#include "station/app/AlarmForm.h"
#include "tests/app/StartupFixture.h"
#include "tests/support/TextFit.h"

namespace {

class StationTextFitTest : public StationDirTest {
 protected:
  // A station with two meters, in run mode; the alarm window exists.
  Tfm_MainForm& StartConfiguredStation() {
    MeterTable table;
    AddSerialMeter(table, 1, 0);
    AddEthernetMeter(table, 2, "127.0.0.1", 1);
    WriteConfig(table);
    LinkEveryComPortToNothing();
    Tfm_MainForm& main = StartStation();
    alarm = std::make_unique<TFormAlarm>();
    main.StartupFinished();
    // The design size: the smallest the window is shown at (it opens maximised).
    main.setWindowState(Qt::WindowNoState);
    main.resize(Tfm_MainForm::kDesignWidth, Tfm_MainForm::kDesignHeight);
    return main;
  }

  static std::string Listed(const QStringList& problems) {
    return "\n" + problems.join(QLatin1Char('\n')).toStdString();
  }

  std::unique_ptr<TFormAlarm> alarm;
};

TEST_F(StationTextFitTest, EveryWindowAndDialogShowsItsTextsWhole) {
  Tfm_MainForm& main = StartConfiguredStation();
  main.timer_PerSecondTimer();  // the clock label shows the time
  QStringList problems = TextFitProblems(main);

  // The dialogs, each checked while its caller shows it.
  QStringList shown;
  ScopedModalHook hook([&](QDialog& dialog) {
    shown << dialog.objectName();
    problems << TextFitProblems(dialog);
    dialog.hide();
    // Sign in, so that the configuration-only dialogs follow as the operator reaches them.
    return dialog.objectName() == QStringLiteral("fm_LoginForm") ? int{mrOk} : int{mrCancel};
  });
  main.btn_LoginClick();
  ASSERT_FALSE(main.InRunMode());
  main.btn_ModifyPasswordClick();
  main.btn_MeterBatchAddClick();
  EXPECT_EQ(shown.join(' ').toStdString(), "fm_LoginForm fm_ModifyPwForm fm_MeterBatchAddForm");
  // Configuration mode enables controls; the texts stay.
  problems << TextFitProblems(main);

  // The alarm window, with the texts the alarm step gives it.
  main.AlarmDelayCountdown = 0;
  main.AlarmBranch();
  ASSERT_TRUE(alarm->isVisible());
  problems << TextFitProblems(*alarm);

  EXPECT_TRUE(problems.isEmpty()) << Listed(problems);
}

TEST_F(StationTextFitTest, WindowsUseTheDesignFaceAtTheDesignHeight) {
  Tfm_MainForm& main = StartConfiguredStation();
  for (QWidget* window : std::initializer_list<QWidget*>{&main, alarm.get()}) {
    SCOPED_TRACE(window->objectName().toStdString());
    const QFontInfo face(window->font());
    EXPECT_EQ(face.family().toStdString(), DesignFontFamilies().constFirst().toStdString());
    EXPECT_EQ(face.pixelSize(), kDesignFontPixelSize);
  }
  QStringList faces;
  ScopedModalHook hook([&](QDialog& dialog) {
    const QFontInfo face(dialog.font());
    faces << face.family() + QStringLiteral(" %1").arg(face.pixelSize());
    return int{mrCancel};
  });
  main.btn_LoginClick();
  main.btn_ModifyPasswordClick();
  main.btn_MeterBatchAddClick();
  const QString design = DesignFontFamilies().constFirst() + QStringLiteral(" 11");
  EXPECT_EQ(faces.join(", ").toStdString(), QStringList({design, design, design}).join(", ").toStdString());
}

}  // namespace
