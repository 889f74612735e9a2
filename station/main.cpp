// Tavrin, the monitoring station: initialise the application, create the main window (the first
// window, so the application's main window) and run its start-up sequence, create the hidden
// alarm window and hand it to the main window, let the supervision ticks begin, show the main
// window and run the event loop until the main window closes. The two windows are the program's
// only ones; they live here, for the whole run.

#include <memory>

#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"
#include "station/app/AlarmForm.h"
#include "station/app/MainForm.h"

int main(int argc, char** argv) {
  TGuardedApplication application(argc, argv);
  TGuardedApplication::setApplicationName(QStringLiteral("Tavrin"));
  std::unique_ptr<Tfm_MainForm> mainForm;
  std::unique_ptr<TFormAlarm> alarmForm;
  // An error escaping these steps is shown in the error box and ends the program; errors of
  // event handlers, and of the start-up sequence's steps, are shown where they happen and do
  // not.
  RunGuarded([&] {
    mainForm = std::make_unique<Tfm_MainForm>();
    // Ends maximised in run mode, or where a failing step stopped it (the window opens anyway).
    mainForm->FormCreate();
    alarmForm = std::make_unique<TFormAlarm>();
    // The tick's first user, the alarm window, exists now: the main window drives it.
    mainForm->SetAlarmWindow(*alarmForm);
    mainForm->StartupFinished();
    mainForm->show();
    TGuardedApplication::exec();
  });
  // The main window stops its polling threads when it closes, and again (if need be) when it
  // is destroyed.
  alarmForm.reset();
  mainForm.reset();
  return 0;
}
