#pragma once
// The application object of both programs. Its event delivery is the last guard against an
// exception reaching Qt: one that escapes an event handler not wrapped in Guarded is shown in the
// error box with its text (an unknown thrown object with the empty text), that event ends, and
// the program goes on. Every window and box of the application takes the design face
// (DesignFont) unless it sets its own.

#include <QApplication>

class TGuardedApplication : public QApplication {
  Q_OBJECT
 public:
  // REQUIRES: argc and argv outlive the application object (Qt keeps references to them).
  TGuardedApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};
