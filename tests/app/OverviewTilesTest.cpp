#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest/QTest>
#include <memory>
#include <vector>

#include "common/FixedText.h"
#include "station/app/OverviewCanvas.h"
#include "station/app/OverviewTiles.h"

namespace {

using Colours = std::vector<std::int32_t>;

TEST(OverviewLayoutTest, ColumnsGapsAndPlacesFollowTheBoxWidth) {
  struct Case {
    int width, columns, gap;
    std::vector<int> lefts;  // tiles 0..4
  };
  for (const Case& c : {Case{459, 1, 0, {6, 6, 6, 6, 6}}, Case{460, 2, 10, {6, 236, 6, 236, 6}},
                        Case{1010, 4, 32, {6, 258, 510, 762, 6}}}) {
    const OverviewLayout layout = ComputeOverviewLayout(c.width);
    EXPECT_EQ(layout.Columns, c.columns) << c.width;
    EXPECT_EQ(layout.Gap, c.gap) << c.width;
    for (int t = 0; t < 5; ++t) EXPECT_EQ(OverviewTileRect(layout, t).Left, c.lefts[t]) << c.width;
  }
  const OverviewLayout layout = ComputeOverviewLayout(1010);
  for (int row : {0, 1, 2}) EXPECT_EQ(OverviewTileRect(layout, 4 * row + 3).Top, 6 + 116 * row);
  const TileRect content = OverviewContentRect(layout, 10);
  EXPECT_EQ(content.Width, 762 + 220);
  EXPECT_EQ(content.Height, 238 + 110);
  EXPECT_EQ(OverviewContentRect(layout, 2).Width, 258 + 220);
}

class OverviewTilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddMeter("Boiler", {"T1", "T2"}, "kPa");
    AddMeter("锅炉", {"温度"}, "℃");
    tiles_.Build(table_);
  }
  void AddMeter(const char* name, std::vector<const char*> channels, const char* unit) {
    TMeterRecord& meter = table_.Meters[table_.MeterCount++];
    WriteFixedText(meter.Name, name);
    meter.ChannelCount = static_cast<std::uint8_t>(channels.size());
    for (std::size_t ch = 0; ch < channels.size(); ++ch) {
      WriteFixedText(meter.Channels[ch].Name, channels[ch]);
      WriteFixedText(meter.Channels[ch].Unit, unit);
    }
    meter.Online = 1;
  }
  void SetFlags(int j, bool lla, bool la, bool ha, bool hha) {
    TMeterRecord& meter = table_.Meters[0];
    meter.LLAFlags[j] = lla;
    meter.LAFlags[j] = la;
    meter.HAFlags[j] = ha;
    meter.HHAFlags[j] = hha;
  }
  // Colours of tile 0 over `ticks` refreshes.
  Colours Blink(int ticks, std::int32_t delay = 0) {
    Colours colours;
    for (int i = 0; i < ticks; ++i) {
      tiles_.Update(table_, 0, 0, 0, delay);
      colours.push_back(tiles_.Tile(0).Colour);
    }
    return colours;
  }

  MeterTable table_;
  OverviewTiles tiles_;
};

TEST_F(OverviewTilesTest, BuildMakesOneLimeTilePerChannelWithItsTitleOnly) {
  ASSERT_EQ(tiles_.Count(), 3);
  EXPECT_EQ(tiles_.Tile(0).Title, "Boiler--T1");
  EXPECT_EQ(tiles_.Tile(2).Title, "锅炉--温度");
  EXPECT_EQ(tiles_.Tile(1).Colour, kTileLime);
  EXPECT_TRUE(tiles_.Tile(1).ValueText.empty());
  EXPECT_TRUE(tiles_.Tile(1).UnitText.empty());
  EXPECT_TRUE(tiles_.Tile(1).AlarmText.empty());
}

TEST_F(OverviewTilesTest, OnlineChannelWithoutFlagsShowsValueUnitAndSeventeenBlanks) {
  table_.Meters[1].Values[0] = 12.5f;
  EXPECT_FALSE(tiles_.Update(table_, 1, 0, 2, 0));
  EXPECT_EQ(tiles_.Tile(2).ValueText, "12.5");
  EXPECT_EQ(tiles_.Tile(2).UnitText, "℃");
  EXPECT_EQ(tiles_.Tile(2).AlarmText, std::string(17, ' '));
  const std::pair<float, const char*> shown[] = {{3.0f, "3"}, {-0.0001f, "-0.0001"}, {0.0f, "0"}};
  for (const auto& [value, text] : shown) {
    table_.Meters[0].Values[0] = value;
    tiles_.Update(table_, 0, 0, 0, 0);
    EXPECT_EQ(tiles_.Tile(0).ValueText, text);
  }
}

TEST_F(OverviewTilesTest, AlarmedTileAlternatesLimeAndItsAlarmColour) {
  SetFlags(0, false, true, true, false);
  EXPECT_TRUE(tiles_.Update(table_, 0, 0, 0, 0));
  EXPECT_EQ(tiles_.Tile(0).AlarmText, std::string(" ") + "    " + "  LA" + "  HA" + "    ");
  EXPECT_EQ(Blink(4), (Colours{kTileLime, kTileRed, kTileLime, kTileRed}));

  SetFlags(0, true, false, false, false);
  EXPECT_EQ(Blink(3), (Colours{kTileLime, kTileYellow, kTileLime}));
  EXPECT_EQ(tiles_.Tile(0).AlarmText, std::string(" ") + " LLA" + std::string(12, ' '));
  SetFlags(0, true, false, false, true);
  EXPECT_EQ(Blink(2), (Colours{kTileRed, kTileLime}));
  EXPECT_EQ(tiles_.Tile(0).AlarmText, std::string(" ") + " LLA" + std::string(8, ' ') + " HHA");

  // Blue while the alarm delay counts down; once it is over the next non-lime phase is red.
  EXPECT_EQ(Blink(3, 2), (Colours{kTileBlue, kTileLime, kTileBlue}));
  EXPECT_EQ(Blink(2, 0), (Colours{kTileLime, kTileRed}));
  SetFlags(0, false, false, false, false);
  EXPECT_FALSE(tiles_.Update(table_, 0, 0, 0, 0));
  EXPECT_EQ(tiles_.Tile(0).Colour, kTileLime);
}

TEST_F(OverviewTilesTest, OfflineMeterShowsErrStaysLimeAndNeverAlarms) {
  table_.Meters[0].Online = 0;
  SetFlags(1, true, true, true, true);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(tiles_.Update(table_, 0, 1, 1, 0));
    EXPECT_EQ(tiles_.Tile(1).Colour, kTileLime);
  }
  EXPECT_EQ(tiles_.Tile(1).ValueText, "ERR");
  EXPECT_EQ(tiles_.Tile(1).AlarmText, " ");
  EXPECT_EQ(tiles_.Tile(1).UnitText, "kPa");
}

TEST_F(OverviewTilesTest, OnlyTilesWhoseLookChangesAreMarked) {
  table_.Meters[0].Values[0] = 1.0f;
  tiles_.Update(table_, 0, 0, 0, 0);
  tiles_.ClearChanged();
  tiles_.Update(table_, 0, 0, 0, 0);
  EXPECT_FALSE(tiles_.Changed(0));
  table_.Meters[0].Values[0] = 2.0f;
  tiles_.Update(table_, 0, 0, 0, 0);
  EXPECT_TRUE(tiles_.Changed(0));
  EXPECT_FALSE(tiles_.Changed(1));
}

TEST_F(OverviewTilesTest, IndexesOutsideTheTilesOrTheTableDoNothing) {
  SetFlags(0, true, true, true, true);
  for (auto [m, j, t] : {std::tuple{0, 0, 3}, {0, 0, -1}, {120, 0, 0}, {-1, 0, 0}, {0, 48, 0}}) {
    EXPECT_FALSE(tiles_.Update(table_, m, j, t, 0)) << m << " " << j << " " << t;
  }
}

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
