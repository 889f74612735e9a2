// Olvesk, the history viewer: create the main window (the first window, so the application's
// main window; it holds the viewer's state) and run its start-up, create the about box, show the
// main window maximised and run the event loop until it closes. The command line is not looked
// at.

#include <memory>

#include "history/AboutBox.h"
#include "history/Form1.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"

int main(int argc, char** argv) {
  TGuardedApplication application(argc, argv);
  TGuardedApplication::setApplicationName(QStringLiteral("Olvesk"));
  std::unique_ptr<TForm1> mainForm;
  std::unique_ptr<TAboutBox> aboutBox;
  // An error escaping these steps is shown in the error box and ends the program; errors of
  // event handlers are shown where they happen and do not.
  RunGuarded([&] {
    mainForm = std::make_unique<TForm1>();
    mainForm->FormCreate();
    aboutBox = std::make_unique<TAboutBox>();
    mainForm->show();
    TGuardedApplication::exec();
  });
  aboutBox.reset();
  mainForm.reset();
  return 0;
}
