#include "station/app/supervision/OverviewTiles.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "common/FixedText.h"
#include "tests/app/MeterTableHelpers.h"

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
  // An online meter whose channels all show `unit`; no text rows (the tiles never look at them).
  void AddMeter(const char* name, const std::vector<const char*>& channels, const char* unit) {
    TMeterRecord& meter = AddTestMeter(table_, name, channels, 0);
    for (std::size_t ch = 0; ch < channels.size(); ++ch) {
      WriteFixedText(meter.Channels[ch].Unit, unit);
    }
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

}  // namespace
