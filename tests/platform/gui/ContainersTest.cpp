#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <thread>

#include "platform/gui/AlignLayout.h"
#include "platform/gui/Captions.h"
#include "platform/gui/Containers.h"
#include "platform/gui/StatusBar.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

class ContainersTest : public GuiTest {};

TEST_F(ContainersTest, DockedWidgetsTakeTheirEdgesInAlignmentOrder) {
  QWidget window;
  auto* layout = new TAlignLayout(&window);
  auto* client = new QWidget;
  auto* bottom = new QWidget;
  auto* top = new QWidget;
  auto* left = new QWidget;
  auto* right = new QWidget;
  // Added in a mixed order: the alignment, not the order, decides who is placed first.
  layout->AddAligned(client, TAlign::Client);
  layout->AddAligned(left, TAlign::Left, 393);
  layout->AddAligned(bottom, TAlign::Bottom, 20);
  layout->AddAligned(right, TAlign::Right, 50);
  layout->AddAligned(top, TAlign::Top, 81);
  window.resize(1034, 679);
  window.show();
  EXPECT_EQ(top->geometry(), QRect(0, 0, 1034, 81));
  EXPECT_EQ(bottom->geometry(), QRect(0, 659, 1034, 20));
  EXPECT_EQ(left->geometry(), QRect(0, 81, 393, 578));
  EXPECT_EQ(right->geometry(), QRect(984, 81, 50, 578));
  EXPECT_EQ(client->geometry(), QRect(393, 81, 591, 578));

  window.resize(1600, 1000);
  QCoreApplication::processEvents();
  EXPECT_EQ(top->geometry(), QRect(0, 0, 1600, 81));
  EXPECT_EQ(client->geometry(), QRect(393, 81, 1157, 899));
}

TEST_F(ContainersTest, HiddenDockedWidgetsTakeNoRoom) {
  QWidget window;
  auto* layout = new TAlignLayout(&window);
  auto* top = new QWidget;
  auto* client = new QWidget;
  layout->AddAligned(top, TAlign::Top, 81);
  layout->AddAligned(client, TAlign::Client);
  window.resize(400, 300);
  window.show();
  top->hide();
  QCoreApplication::processEvents();
  EXPECT_EQ(client->geometry(), QRect(0, 0, 400, 300));
}

TEST_F(ContainersTest, TooSmallParentSqueezesDockedWidgetsWithoutNegativeSizes) {
  QWidget window;
  auto* layout = new TAlignLayout(&window);
  auto* top = new QWidget;
  auto* bottom = new QWidget;
  layout->AddAligned(top, TAlign::Top, 81);
  layout->AddAligned(bottom, TAlign::Bottom, 323);
  window.resize(300, 100);
  window.show();
  EXPECT_EQ(top->height(), 81);
  EXPECT_EQ(bottom->height(), 19);
}

TEST_F(ContainersTest, StatusBarPanelsHaveTheirWidthsAndStartEmpty) {
  TStatusBar bar;
  bar.SetPanelWidths({380, 50, 50, 50, 50});
  bar.resize(1034, 20);
  ASSERT_EQ(bar.PanelCount(), 5);
  const int widths[] = {380, 50, 50, 50, 50};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(bar.PanelWidth(i), widths[i]);
    EXPECT_EQ(bar.PanelText(i), "");
  }
  EXPECT_EQ(bar.PanelRect(1), QRect(380, 0, 50, 20));
  // The last panel reaches the right edge, so a connection text is not cut at 50 pixels.
  EXPECT_EQ(bar.PanelRect(4), QRect(530, 0, 504, 20));
  bar.SetPanelText(4, "192.168.0.101 Connect Success");
  EXPECT_EQ(bar.PanelText(4), "192.168.0.101 Connect Success");
  EXPECT_THROW(bar.SetPanelText(5, "x"), std::exception);
}

TEST_F(ContainersTest, StatusTextsPostedFromAThreadArriveOnTheGuiThread) {
  TStatusBar bar;
  bar.SetPanelWidths({380, 50, 50, 50, 50});
  bool posted = false;
  bool refused = true;
  std::thread poller([&] {
    posted = bar.PostPanelText(4, "10 Connect Fail!");
    refused = !bar.PostPanelText(9, "nowhere");
  });
  poller.join();
  EXPECT_TRUE(posted);
  EXPECT_TRUE(refused);
  EXPECT_EQ(bar.PanelText(4), "");  // not before the GUI thread runs its queue
  QCoreApplication::processEvents();
  EXPECT_EQ(bar.PanelText(4), "10 Connect Fail!");
}

// A polling loop whose connects all fail at once posts as fast as it can: the queue holds at most
// one call per panel, and the panel ends with the newest text.
TEST_F(ContainersTest, StatusTextsPostedFasterThanShownNeverFloodTheQueue) {
  TStatusBar bar;
  bar.SetPanelWidths({380, 50, 50, 50, 50});
  int shown = 0;
  struct Counter : QObject {
    int* count;
    explicit Counter(int* c) : count(c) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::MetaCall) ++*count;
      return false;
    }
  } counter(&shown);
  bar.installEventFilter(&counter);
  std::thread poller([&] {
    for (int i = 0; i < 100000; ++i) bar.PostPanelText(4, QString::number(i) + " Connect Fail!");
    bar.PostPanelText(0, "path");
  });
  poller.join();
  QCoreApplication::processEvents();
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(bar.PanelText(4), "99999 Connect Fail!");
  EXPECT_EQ(bar.PanelText(0), "path");
  // Panels replaced while a text was on its way: the text is dropped, not shown in a panel
  // that is no longer there.
  bar.PostPanelText(4, "late");
  bar.SetPanelWidths({100});
  bar.SetPanelWidths({380, 50, 50, 50, 50});
  QCoreApplication::processEvents();
  EXPECT_EQ(bar.PanelCount(), 5);
  EXPECT_EQ(bar.PanelText(4), "");
  EXPECT_FALSE(bar.PostPanelText(5, "no such panel"));
}

TEST_F(ContainersTest, TabSheetsKeepTheirOrderCaptionsAndVisibility) {
  TPageControl pages;
  auto* first = new TTabSheet(&pages, QString::fromUtf8("设置"));
  auto* second = new TTabSheet(&pages, QString::fromUtf8("概貌显示"));
  auto* hidden = new TTabSheet(&pages, QString::fromUtf8("工艺图"));
  hidden->SetTabVisible(false);
  pages.SetActivePage(second);
  first->SetCaption("System Configuration");
  second->SetCaption("Overview");
  EXPECT_EQ(pages.VisibleTabCaptions(), (QStringList{"System Configuration", "Overview"}));
  EXPECT_EQ(pages.ActivePage(), second);
  EXPECT_EQ(pages.Pages(2), hidden);
  EXPECT_FALSE(hidden->TabVisible());
  EXPECT_EQ(ControlText(*first), "System Configuration");
  EXPECT_EQ(first->PageControl(), &pages);
}

TEST_F(ContainersTest, ScrollBoxRangeFollowsItsChildren) {
  TScrollBox box;
  box.resize(200, 100);
  box.show();
  auto* child = new QLabel("curve", box.Content());
  child->setGeometry(8, 32 + 16 * 40, 200, 16);
  child->show();  // a child added to a visible parent shows only when told to
  QCoreApplication::processEvents();
  EXPECT_GE(box.Content()->height(), 32 + 16 * 41);
  child->move(8, 2000);
  QCoreApplication::processEvents();
  EXPECT_GE(box.Content()->height(), 2016);
  delete child;
  QCoreApplication::processEvents();
  EXPECT_EQ(box.Content()->height(), box.viewport()->height());
}

TEST_F(ContainersTest, ControlTextCoversTheTextsOfEveryKind) {
  QPushButton button("Add");
  QLabel label;
  SetControlText(label, "Time :");
  EXPECT_EQ(ControlText(button), "Add");
  EXPECT_EQ(ControlText(label), "Time :");
  TPanel panel;
  QWidget child(&panel);
  EXPECT_THROW(SetControlText(child, "x"), std::exception);
}

}  // namespace
