#include "platform/gui/Cp936Edit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QtTest/QTest>

#include "platform/Cp936.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

class Cp936EditTest : public GuiTest {
 protected:
  // Types `text` one character at a time, as key presses carrying the character.
  void Type(TCp936Edit& edit, const QString& text) {
    for (const QString& character : Characters(text)) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
      QCoreApplication::sendEvent(&edit, &press);
    }
  }

  // Commits `text` the way an input method commits a composed Chinese word.
  void Compose(TCp936Edit& edit, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(&edit, &commit);
  }

  static QStringList Characters(const QString& text) {
    QStringList characters;
    for (int i = 0; i < text.size(); ++i) {
      const int length = text.at(i).isHighSurrogate() ? 2 : 1;
      characters << text.mid(i, length);
      i += length - 1;
    }
    return characters;
  }
};

const QString kFourChinese = QString::fromUtf8("设备名称");  // 8 bytes in code page 936

TEST_F(Cp936EditTest, FourChineseCharactersFillAnEightByteField) {
  TCp936Edit edit;
  edit.SetMaxBytes(8);
  Type(edit, kFourChinese);
  EXPECT_EQ(edit.text(), kFourChinese);
  Type(edit, "a");
  Type(edit, QString::fromUtf8("一"));
  EXPECT_EQ(edit.text(), kFourChinese);

  TCp936Edit composed;
  composed.SetMaxBytes(8);
  Compose(composed, QString::fromUtf8("设备"));
  Compose(composed, QString::fromUtf8("名称"));
  Compose(composed, QString::fromUtf8("一"));
  EXPECT_EQ(composed.text(), kFourChinese);
}

TEST_F(Cp936EditTest, TheNinthByteIsRefusedWhateverItsCharacter) {
  TCp936Edit edit;
  edit.SetMaxBytes(8);
  Type(edit, "abcdefgh");
  Type(edit, "i");
  EXPECT_EQ(edit.text(), "abcdefgh");

  TCp936Edit mixed;
  mixed.SetMaxBytes(8);
  Type(mixed, QString::fromUtf8("设备1") + "ab");  // 7 bytes
  Type(mixed, QString::fromUtf8("号"));            // would make 9
  EXPECT_EQ(mixed.text(), QString::fromUtf8("设备1ab"));
  Type(mixed, "c");  // exactly 8
  EXPECT_EQ(mixed.text(), QString::fromUtf8("设备1abc"));
}

TEST_F(Cp936EditTest, CharactersTheCodePageCannotHoldAreRefused) {
  const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
  const QString thai = QString::fromUtf8("ก");
  ASSERT_FALSE(EncodableInCp936(emoji.toStdString()));
  ASSERT_FALSE(EncodableInCp936(thai.toStdString()));
  TCp936Edit edit;  // no length limit
  Type(edit, "T1");
  edit.insert(emoji);
  Type(edit, thai);
  Compose(edit, QString::fromUtf8("温度") + emoji);
  Type(edit, QString::fromUtf8("℃"));
  EXPECT_EQ(edit.text(), QString::fromUtf8("T1℃"));
}

TEST_F(Cp936EditTest, InsertFromCodeThatWouldPassTheLimitIsRefusedWhole) {
  TCp936Edit edit;
  edit.SetMaxBytes(5);
  Type(edit, "12");
  edit.insert("3456");
  EXPECT_EQ(edit.text(), "12");
  edit.insert("345");
  EXPECT_EQ(edit.text(), "12345");
}

TEST_F(Cp936EditTest, PasteKeepsItsLeadingPartThatFitsWithoutForeignCharacters) {
  const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
  TCp936Edit edit;
  edit.SetMaxBytes(8);
  Type(edit, "12");
  QGuiApplication::clipboard()->setText("3456789");
  QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit.text(), "12345678");
  Type(edit, "9");  // full: typing still stops
  EXPECT_EQ(edit.text(), "12345678");

  // Cut between two characters: a Chinese character that would leave 1 byte over goes whole;
  // characters the code page cannot hold are left out, wherever they stand.
  edit.clear();
  Type(edit, "ab");
  edit.setCursorPosition(1);
  QGuiApplication::clipboard()->setText(emoji + QString::fromUtf8("设备ก名称"));
  QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(edit.text(), QString::fromUtf8("a设备名b"));
  EXPECT_EQ(edit.cursorPosition(), 4);

  // A paste over the whole text, from the context menu.
  edit.selectAll();
  QGuiApplication::clipboard()->setText(QString::fromUtf8("温度传感器一号"));
  QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2),
                              edit.mapToGlobal(QPoint(2, 2)));
  QCoreApplication::sendEvent(&edit, &menuEvent);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  QAction* paste = nullptr;
  for (QAction* action : menu->actions()) {
    if (action->text().startsWith(QStringLiteral("&Paste"))) paste = action;
  }
  ASSERT_NE(paste, nullptr);
  paste->trigger();
  menu->close();
  EXPECT_EQ(edit.text(), QString::fromUtf8("温度传感"));

  // Nothing of it fits: the text stays.
  QGuiApplication::clipboard()->setText(emoji);
  edit.setCursorPosition(0);
  QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit.text(), QString::fromUtf8("温度传感"));
}

TEST_F(Cp936EditTest, PasteOfATextLikeTheOneAfterTheCursorIsCutFromItsOwnStart) {
  struct Case {
    const char* shown;
    int cursor;
    const char* pasted;
    int limit;
    const char* result;
  };
  const Case cases[] = {
      {"AB", 1, "BC", 3, "ABB"}, {"xyz", 1, "yzq", 4, "xyyz"}, {"T1", 0, "T2", 3, "TT1"}};
  // Each case by Ctrl+V, by the context menu's Paste and by a drop at the cursor.
  const auto menuPaste = [](TCp936Edit& edit) {
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2),
                                edit.mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(&edit, &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
      if (action->text().startsWith(QStringLiteral("&Paste"))) action->trigger();
    }
    menu->close();
  };
  const auto drop = [](TCp936Edit& edit, const QString& text) {
    QMimeData data;
    data.setText(text);
    // Dropped where the cursor stands.
    int x = 0;
    while (x < edit.width() && edit.cursorPositionAt(QPoint(x, 10)) != edit.cursorPosition()) ++x;
    QDragEnterEvent entered(QPoint(x, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&edit, &entered);
    QDropEvent dropped(QPointF(x, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&edit, &dropped);
  };
  for (const Case& c : cases) {
    for (int way = 0; way < 3; ++way) {
      TCp936Edit edit;
      edit.resize(200, 30);
      edit.SetMaxBytes(c.limit);
      edit.setText(c.shown);
      edit.setCursorPosition(c.cursor);
      QGuiApplication::clipboard()->setText(c.pasted);
      if (way == 0) QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
      if (way == 1) menuPaste(edit);
      if (way == 2) drop(edit, c.pasted);
      EXPECT_EQ(edit.text(), c.result) << c.shown << " + " << c.pasted << ", way " << way;
    }
  }

  // A paste over a selection: the selection goes, its room is the paste's.
  TCp936Edit edit;
  edit.SetMaxBytes(4);
  edit.setText("ABCD");
  edit.setSelection(1, 2);  // "BC"
  QGuiApplication::clipboard()->setText("BCBC");
  QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit.text(), "ABCD");
  EXPECT_EQ(edit.cursorPosition(), 3);
}

TEST_F(Cp936EditTest, TextsSetFromCodeAreTakenAsGiven) {
  TCp936Edit edit;
  edit.SetMaxBytes(4);
  edit.setText("192.168.0.101");
  EXPECT_EQ(edit.text(), "192.168.0.101");
}

TEST_F(Cp936EditTest, LabeledEditKeepsItsLabelAboveAndFollowsVisibility) {
  QWidget panel;
  panel.resize(240, 136);
  auto* edit = new TLabeledEdit(&panel);
  edit->SetLabelCaption(QString::fromUtf8("给定值"));
  edit->setGeometry(8, 40, 120, 30);
  panel.show();
  QLabel* label = edit->EditLabel();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->parentWidget(), &panel);
  EXPECT_EQ(label->x(), 8);
  EXPECT_LT(label->geometry().bottom(), edit->y());
  edit->move(20, 80);
  EXPECT_EQ(label->x(), 20);
  EXPECT_LT(label->geometry().bottom(), 80);
  EXPECT_TRUE(label->isVisible());
  edit->hide();
  EXPECT_FALSE(label->isVisible());
}

}  // namespace
