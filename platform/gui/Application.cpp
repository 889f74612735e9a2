#include "platform/gui/Application.h"

#include <exception>

#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"

TGuardedApplication::TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // Message boxes and file dialogs take the windows' face too.
  setFont(DesignFont());
}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
  // Every event passes here: a plain try block, no wrapper object per event.
  std::exception_ptr error;
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    error = std::current_exception();
  }
  ShowErrorBox(ExceptionText(error));
  return false;
}
