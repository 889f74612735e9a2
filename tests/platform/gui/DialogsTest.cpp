#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include "platform/Errors.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

class DialogsTest : public GuiTest {};

// An object whose event handling throws, as a faulty handler of a widget would.
class ThrowingReceiver : public QObject {
 public:
  static constexpr QEvent::Type kThrowStd = static_cast<QEvent::Type>(QEvent::User + 1);
  static constexpr QEvent::Type kThrowUnknown = static_cast<QEvent::Type>(QEvent::User + 2);
  int handled = 0;

  bool event(QEvent* event) override {
    if (event->type() == kThrowStd) throw EConvertError("'abc' is not a valid integer value");
    if (event->type() == kThrowUnknown) throw 42;
    if (event->type() == QEvent::User) {
      ++handled;
      return true;
    }
    return QObject::event(event);
  }
};

TEST_F(DialogsTest, GuardShowsTheErrorTextAndEndsOnlyTheHandler) {
  bool afterThrow = false;
  const bool completed = RunGuarded([&] {
    throw EFOpenError("Cannot open file /x/Velm_LOGO.BMP");
    afterThrow = true;
  });
  EXPECT_FALSE(completed);
  EXPECT_FALSE(afterThrow);
  EXPECT_EQ(errorBoxes, QStringList{"Cannot open file /x/Velm_LOGO.BMP"});
  EXPECT_TRUE(RunGuarded([] {}));
  EXPECT_EQ(errorBoxes.size(), 1);
}

TEST_F(DialogsTest, UnknownThrownObjectShowsAnEmptyText) {
  EXPECT_FALSE(RunGuarded([] { throw 7; }));
  EXPECT_EQ(errorBoxes, QStringList{QString()});
}

TEST_F(DialogsTest, ErrorTextKeepsChineseCharacters) {
  RunGuarded([] { throw Exception("请正确输入设备地址!"); });
  EXPECT_EQ(errorBoxes, QStringList{QString::fromUtf8("请正确输入设备地址!")});
}

TEST_F(DialogsTest, ThrowingClickHandlerShowsOneBoxAndTheButtonKeepsWorking) {
  QPushButton button("Go");
  int runs = 0;
  QObject::connect(&button, &QPushButton::clicked, &button, Guarded([&] {
                     ++runs;
                     if (runs == 1) throw EConvertError("'x' is not a valid floating point value");
                   }));
  button.click();
  EXPECT_EQ(errorBoxes, QStringList{"'x' is not a valid floating point value"});
  button.click();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(errorBoxes.size(), 1);
}

TEST_F(DialogsTest, GuardedHandlerReceivesTheSignalArgumentsItTakes) {
  QPushButton button("Toggle");
  button.setCheckable(true);
  std::vector<bool> states;
  QObject::connect(&button, &QPushButton::toggled, &button,
                   Guarded([&](bool checked) { states.push_back(checked); }));
  button.click();
  button.click();
  EXPECT_EQ(states, (std::vector<bool>{true, false}));
}

TEST_F(DialogsTest, ApplicationCatchesExceptionsEscapingEventDelivery) {
  if (!qobject_cast<TGuardedApplication*>(QCoreApplication::instance())) {
    GTEST_SKIP() << "another suite of this process made a plain application first";
  }
  ThrowingReceiver receiver;
  QEvent throwing(ThrowingReceiver::kThrowStd);
  QCoreApplication::sendEvent(&receiver, &throwing);
  QCoreApplication::postEvent(&receiver, new QEvent(ThrowingReceiver::kThrowUnknown));
  QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  EXPECT_EQ(errorBoxes, (QStringList{"'abc' is not a valid integer value", QString()}));
  // The event after the failing one is still delivered.
  EXPECT_EQ(receiver.handled, 1);
}

TEST_F(DialogsTest, MessageBoxGoesThroughTheInstalledHookAndTheOldOneComesBack) {
  EXPECT_EQ(ShowMessageBox(QString::fromUtf8("最多只能添加120台设备!"), QString::fromUtf8("错误")),
            mrOk);
  {
    ScopedMessageBoxHook answerNo([](const QString&, const QString&, TMsgButtons buttons) {
      return buttons == TMsgButtons::YesNo ? int{mrNo} : int{mrCancel};
    });
    EXPECT_EQ(ShowMessageBox("Quit?", "Question", TMsgButtons::YesNo), mrNo);
  }
  EXPECT_EQ(ShowMessageBox("Data Error!", "Error"), mrOk);
  EXPECT_EQ(messageBoxes, (QStringList{QString::fromUtf8("错误|最多只能添加120台设备!"),
                                       "Error|Data Error!"}));
}

TEST_F(DialogsTest, ModalDialogHookFillsTheDialogAndReturnsItsResult) {
  QDialog dialog;
  auto* edit = new QLineEdit(&dialog);
  ScopedModalHook fill([edit](QDialog& shown) {
    edit->setText("583106");
    shown.done(mrOk);
    return shown.result();
  });
  EXPECT_EQ(RunModal(dialog), mrOk);
  EXPECT_EQ(edit->text(), "583106");
}

}  // namespace
