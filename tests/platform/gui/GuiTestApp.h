#pragma once
// The application object of a GUI test process, and a fixture that keeps every error box and
// message box of a test from waiting for a click.

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QStringList>

#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"

// Made on first use: the program's guarded application, unless another suite of the same
// process made its own application first. Never destroyed (Qt objects of static tests may
// outlive main).
inline QApplication& GuiTestApp() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  static auto* app = new TGuardedApplication(argc, argv);
  return *app;
}

// Records the error boxes and message boxes that a test raises; message boxes answer OK.
class GuiTest : public ::testing::Test {
 protected:
  GuiTest()
      : app_(GuiTestApp()),
        errorHook_([this](const QString& text) { errorBoxes.push_back(text); }),
        messageHook_([this](const QString& text, const QString& caption, TMsgButtons) {
          messageBoxes.push_back(caption + "|" + text);
          return int{mrOk};
        }) {}

  QStringList errorBoxes;
  QStringList messageBoxes;

 private:
  QApplication& app_;
  ScopedErrorBoxHook errorHook_;
  ScopedMessageBoxHook messageHook_;
};
