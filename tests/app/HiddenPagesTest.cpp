// The hidden temperature and humidity tiles (TFrame1 on TabSheet3) and the history launcher.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "common/AppPaths.h"
#include "platform/gui/Containers.h"
#include "platform/gui/ProcessStart.h"
#include "station/app/WsdFrame.h"
#include "tests/app/CycleTestSupport.h"

namespace {

class HiddenPagesTest : public CycleTest {
 protected:
  QString FrameName(int n) { return form->Frame1List.at(n)->Label1->text(); }
};

TEST_F(HiddenPagesTest, OneFramePerChannelPairEightToARow) {
  AddMeter("A", {"a0"});
  AddMeter("B", {"b0", "b1"});
  AddMeter("C", {"c0", "c1", "c2"});
  form->BuildWsdFrames();
  ASSERT_EQ(form->Frame1List.size(), 4u);
  const char* names[] = {"a0", "b0", "c0", "c2"};
  for (int n = 0; n < 4; ++n) {
    TFrame1* frame = form->Frame1List[n];
    EXPECT_EQ(frame->objectName(), QString("FrameWSD%1").arg(n));
    EXPECT_EQ(FrameName(n), names[n]);
    EXPECT_EQ(frame->Label1->height(), 24);
    EXPECT_EQ(frame->pos(), QPoint(n * 238, 0));
    EXPECT_EQ(frame->size(), QSize(238, 230));
    EXPECT_EQ(frame->parentWidget(), form->ScrollBox2->Content());
  }

  AddMeter("D", {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "d7", "d8", "d9"});
  form->BuildWsdFrames();
  ASSERT_EQ(form->Frame1List.size(), 9u);
  EXPECT_EQ(form->Frame1List[8]->pos(), QPoint(0, 230));  // the ninth starts the second row
  EXPECT_EQ(FrameName(8), "d8");
  EXPECT_EQ(form->ScrollBox2->Content()->findChildren<TFrame1*>().size(), 9);
}

TEST_F(HiddenPagesTest, AFrameShowsItsDesignTexts) {
  AddMeter("A", {"温度", "湿度"});
  form->BuildWsdFrames();
  TFrame1& frame = *form->Frame1List.at(0);
  const std::pair<QLabel*, const char*> texts[] = {
      {frame.Label1, "温度"}, {frame.Label6, "T"},   {frame.Label3, "0.00"}, {frame.Label7, "°C  "},
      {frame.Label2, "H"},    {frame.Label4, "0.0"}, {frame.Label5, "HR%"}};
  for (const auto& [label, text] : texts) EXPECT_EQ(label->text(), QString::fromUtf8(text));
  EXPECT_EQ(frame.findChildren<QLabel*>().size(), 4 + 3 + 8);  // 4 x 2 alarm panels
}

TEST_F(HiddenPagesTest, ResizesRebuildTheFramesOnlyWhenTheirContentChanged) {
  AddMeter("A", {"a0", "a1", "a2"});
  form->show();
  form->resize(900, 700);
  ASSERT_EQ(form->Frame1List.size(), 2u);
  TFrame1* first = form->Frame1List[0];
  form->resize(1000, 750);
  EXPECT_EQ(form->Frame1List[0], first);  // same content: the frames stay

  WriteFixedText(Meter(0).Channels[2].Name, "renamed");
  form->resize(900, 700);
  ASSERT_EQ(form->Frame1List.size(), 2u);
  EXPECT_EQ(FrameName(1), "renamed");
  EXPECT_EQ(form->ScrollBox2->Content()->findChildren<TFrame1*>().size(), 2);
}

TEST_F(HiddenPagesTest, HistoryButtonStartsTheViewerFromTheApplicationDirectory) {
  std::vector<std::string> started;
  ScopedProcessStartHook hook([&](const std::string& path) {
    started.push_back(path);
    return false;  // a failed start is not reported
  });
  form->Button1->click();
  EXPECT_EQ(started, std::vector<std::string>{AppDir() + "/Olvesk"});
  EXPECT_TRUE(errorBoxes.isEmpty());
}

}  // namespace
