// Tavrin, the monitoring station: initialise the application, create the main window (the first
// window, so the application's main window), create the hidden alarm window, show the main
// window maximised and run the event loop until the main window closes.

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
  // event handlers are shown by the event loop's guard and do not.
  RunGuarded([&] {
    mainForm = std::make_unique<Tfm_MainForm>();
    alarmForm = std::make_unique<TFormAlarm>();
    mainForm->showMaximized();
    TGuardedApplication::exec();
  });
  alarmForm.reset();
  mainForm.reset();
  return 0;
}
