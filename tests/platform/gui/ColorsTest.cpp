#include "platform/gui/Colors.h"

#include <gtest/gtest.h>

#include <QPalette>

#include "platform/gui/ComboBoxes.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

class ColorsTest : public GuiTest {};

TEST_F(ColorsTest, TColorKeepsRedInTheLowByte) {
  EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(clBlue), QColor(0, 0, 255));
  EXPECT_EQ(ToQColor(0x00123456), QColor(0x56, 0x34, 0x12));
  EXPECT_EQ(ToTColor(QColor(0x56, 0x34, 0x12)), 0x00123456);
  EXPECT_EQ(ToTColor(QColor(255, 255, 0, 10)), clYellow);  // alpha is dropped
  for (TColor color : {clBlack, clMaroon, clTeal, clSilver, clFuchsia, clWhite, 0x00ABCDEF}) {
    EXPECT_EQ(ToTColor(ToQColor(color)), color);
  }
}

TEST_F(ColorsTest, SystemColoursComeFromThePalette) {
  EXPECT_TRUE(IsSystemColor(clBtnFace));
  EXPECT_FALSE(IsSystemColor(clWhite));
  EXPECT_EQ(ToQColor(clBtnFace), QGuiApplication::palette().color(QPalette::Button));
  EXPECT_EQ(ToQColor(clHighlight), QGuiApplication::palette().color(QPalette::Highlight));
  EXPECT_EQ(ToQColor(kSystemColorFlag | 99), QColor(Qt::black));
  EXPECT_NE(clBtnFace, clRed);  // the alarm window blinks by comparing these values
}

TEST_F(ColorsTest, ColorBoxOffersTheStandardColoursAndReadsBackWhatWasSet) {
  TColorBox box;
  EXPECT_EQ(box.count(), 16);
  EXPECT_EQ(box.Selected(), clBlack);
  box.SetSelected(clLime);
  EXPECT_EQ(box.Selected(), clLime);
  EXPECT_EQ(box.currentText(), "Lime");
  EXPECT_FALSE(box.isEditable());
}

TEST_F(ColorsTest, ColorBoxKeepsAColourOutsideItsList) {
  TColorBox box;
  box.SetSelected(0x00123456);
  EXPECT_EQ(box.Selected(), 0x00123456);
  box.SetSelected(0x00654321);
  EXPECT_EQ(box.Selected(), 0x00654321);
  EXPECT_EQ(box.count(), 17);  // one custom entry, reused
  box.SetSelected(clRed);
  EXPECT_EQ(box.Selected(), clRed);
}

TEST_F(ColorsTest, ColorBoxRunsOnChangeForTheOperatorsPickOnly) {
  TColorBox box;
  int changes = 0;
  box.OnChange = [&changes] { ++changes; };
  box.SetSelected(clNavy);
  EXPECT_EQ(changes, 0);
  const int red = box.findText("Red");
  box.setCurrentIndex(red);
  emit box.activated(red);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(box.Selected(), clRed);
  emit box.activated(red);  // the same colour again
  EXPECT_EQ(changes, 1);
}

TEST_F(ColorsTest, ComboItemIndexIsMinusOneWithoutSelection) {
  std::unique_ptr<QComboBox> combo(MakeListCombo({"3X", "4X"}, 0));
  EXPECT_FALSE(combo->isEditable());
  EXPECT_EQ(ComboItemIndex(*combo), 0);
  SetComboItemIndex(*combo, 1);
  EXPECT_EQ(ComboItemIndex(*combo), 1);
  SetComboItemIndex(*combo, 2);  // names no item: nothing selected rather than another item
  EXPECT_EQ(ComboItemIndex(*combo), -1);
  SetComboItemIndex(*combo, 255);
  EXPECT_EQ(ComboItemIndex(*combo), -1);
  std::unique_ptr<QComboBox> none(MakeListCombo({"Serial", "Ethernet"}, -1));
  EXPECT_EQ(ComboItemIndex(*none), -1);
}

}  // namespace
