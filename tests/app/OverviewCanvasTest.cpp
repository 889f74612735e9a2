#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest/QTest>
#include <memory>

#include "station/app/OverviewCanvas.h"
#include "station/app/supervision/OverviewTiles.h"

namespace {

// ---- Canvas ----------------------------------------------------------------------------------

// One application for the whole run, never destroyed: Qt's own statics may go first at exit.
void EnsureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

// 5,760 tiles in a 1010 × 400 box: four columns.
class OverviewCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    for (int m = 0; m < kMaxMeters; ++m) {
      table_.Meters[m].ChannelCount = kMaxChannels;
      table_.Meters[m].Online = 1;
    }
    table_.MeterCount = kMaxMeters;
    tiles_.Build(table_);
    box_ = std::make_unique<QScrollArea>();  // after the application exists
    box_->resize(1010, 400);
    canvas_ = new OverviewCanvas(tiles_);
    box_->setWidget(canvas_);
    canvas_->FollowScrollBox(box_.get());
    box_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box_.get()));
  }
  // Raises the HA flag of tile t's channel and refreshes the tile once: lime turns red.
  void MakeRed(int t) {
    table_.Meters[t / kMaxChannels].HAFlags[t % kMaxChannels] = 1;
    tiles_.Update(table_, t / kMaxChannels, t % kMaxChannels, t, 0);
  }
  // A pixel inside tile t's panel, clear of its texts, in an image that starts at `origin`.
  QRgb PixelOf(const QImage& image, int t, QPoint origin = {}) const {
    const QRect r = canvas_->TileRectOf(t).translated(-origin);
    return image.pixel(r.left() + 210, r.top() + 70);
  }

  std::unique_ptr<MeterTable> tableStorage_ = std::make_unique<MeterTable>();
  MeterTable& table_ = *tableStorage_;
  OverviewTiles tiles_;
  std::unique_ptr<QScrollArea> box_;
  OverviewCanvas* canvas_ = nullptr;  // owned by the box
};

TEST_F(OverviewCanvasTest, PaintsOnlyTheTilesInTheExposedArea) {
  MakeRed(5);
  const QRect tile5 = canvas_->TileRectOf(5);  // row 1, column 1
  QImage image(500, 300, QImage::Format_RGB32);
  const QPoint origin = tile5.topLeft() - QPoint(20, 20);
  canvas_->render(&image, QPoint(), QRegion(QRect(origin, image.size())));
  EXPECT_EQ(canvas_->PaintedTileCount(), 8);  // columns 1 and 2 of rows 0 to 3
  EXPECT_EQ(PixelOf(image, 5, origin), QColor(Qt::red).rgb());
  EXPECT_EQ(PixelOf(image, 6, origin), QColor(Qt::green).rgb());
}

TEST_F(OverviewCanvasTest, ScrolledViewPaintsTheVisibleTilesAndAResizeRelaysThem) {
  EXPECT_EQ(canvas_->size(), QSize(762 + 220, (5760 / 4 - 1) * 116 + 6 + 110));
  box_->verticalScrollBar()->setValue(100 * 116);
  QImage view = box_->viewport()->grab().toImage();
  EXPECT_LE(canvas_->PaintedTileCount(), 4 * 5);  // 400 pixels show at most 5 rows of 4
  EXPECT_EQ(PixelOf(view, 400, {0, 100 * 116}), QColor(Qt::green).rgb());

  MakeRed(1);
  box_->resize(459, 400);  // one column: tile 1 moves under tile 0, nothing is rebuilt
  EXPECT_EQ(canvas_->Layout().Columns, 1);
  EXPECT_EQ(canvas_->size(), QSize(226, 5759 * 116 + 6 + 110));
  EXPECT_EQ(canvas_->TileRectOf(1), QRect(6, 122, 220, 110));
  box_->verticalScrollBar()->setValue(0);
  view = box_->viewport()->grab().toImage();
  EXPECT_EQ(PixelOf(view, 1), QColor(Qt::red).rgb());
}

TEST_F(OverviewCanvasTest, ChangedVisibleTilesAloneAreRepainted) {
  QApplication::processEvents();
  MakeRed(0);
  MakeRed(9);     // row 2, column 1: the tiles between the two are not repainted
  MakeRed(5000);  // far out of sight
  canvas_->ShowChangedTiles();
  QApplication::processEvents();
  EXPECT_EQ(canvas_->PaintedTileCount(), 2);
  EXPECT_FALSE(tiles_.Changed(5000));
  const QImage view = box_->viewport()->grab().toImage();
  EXPECT_EQ(PixelOf(view, 0), QColor(Qt::red).rgb());
  EXPECT_EQ(PixelOf(view, 9), QColor(Qt::red).rgb());
}

}  // namespace
