#include "platform/gui/UpDown.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <vector>

#include "tests/platform/gui/GuiTestApp.h"

namespace {

class UpDownTest : public GuiTest {
 protected:
  UpDownTest() {
    upDown.setRange(1, 10);
    upDown.setValue(1);
    upDown.OnClick = [this] { clicks.push_back(upDown.value()); };
    upDown.show();
  }

  TUpDown upDown;
  std::vector<int> clicks;  // the position each click saw
};

TEST_F(UpDownTest, EveryArrowPressIsAClickAlsoAtTheLimits) {
  QTest::keyClick(&upDown, Qt::Key_Down);  // at the minimum already
  QTest::keyClick(&upDown, Qt::Key_Up);
  upDown.setValue(10);  // from code: no click
  QTest::keyClick(&upDown, Qt::Key_Up);  // at the maximum already
  QTest::keyClick(&upDown, Qt::Key_Up);
  QTest::keyClick(&upDown, Qt::Key_Down);
  EXPECT_EQ(clicks, (std::vector<int>{1, 2, 10, 10, 9}));
}

TEST_F(UpDownTest, ThePositionCannotBeTyped) {
  upDown.setFocus();
  QTest::keyClicks(&upDown, "7");
  QTest::keyClick(&upDown, Qt::Key_Return);
  EXPECT_EQ(upDown.value(), 1);
  EXPECT_TRUE(clicks.empty());
}

}  // namespace
