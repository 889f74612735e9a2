#pragma once
// The overview tiles as plain data: one tile per channel in channel order (tile t = channel t of
// the history file and trend series t), with the layout that places them on the "Overview" page.
// The painting is OverviewCanvas's; nothing here uses Qt. Main thread only.
//
// A tile has five parts: an outer panel (220 × 110, lowered 2-pixel bevel, its
// colour the channel's state), a title bar (meter name + "--" + channel name, white 12-pt bold on
// the highlight colour, 25 high), a value text (28-pt bold at 8,40), a unit text (10-pt bold at
// 170,30) and an alarm text (10-pt bold at 18,88). Tiles as widgets cost 1.6 s per tick at 5,760
// channels; as data they are refreshed in microseconds and only visible ones are painted.

#include <cstdint>
#include <string>
#include <vector>

#include "common/MeterRecord.h"

// Tile colours 0x00BBGGRR (the values of clLime, clBlue, clRed and clYellow; this header stays
// free of the Qt-side colour table).
inline constexpr std::int32_t kTileLime = 0x00FF00;
inline constexpr std::int32_t kTileBlue = 0xFF0000;
inline constexpr std::int32_t kTileRed = 0x0000FF;
inline constexpr std::int32_t kTileYellow = 0x00FFFF;

// Tile geometry, pixels.
inline constexpr int kTileWidth = 220;
inline constexpr int kTileHeight = 110;
inline constexpr int kTileRowPitch = 116;  // 110 + 6 between rows
inline constexpr int kTileMargin = 6;      // left of column 0, top of row 0
inline constexpr int kTileBevelWidth = 2;
inline constexpr int kTileTitleHeight = 25;
inline constexpr int kTileValueLeft = 8, kTileValueTop = 40;
inline constexpr int kTileUnitLeft = 170, kTileUnitTop = 30;
inline constexpr int kTileAlarmLeft = 18, kTileAlarmTop = 88;
inline constexpr int kTileTitlePoints = 12;
inline constexpr int kTileValuePoints = 28;
inline constexpr int kTileSmallPoints = 10;  // unit and alarm texts
// Below this width there is one column; from it on (W - 20) div 220 columns (at least 2).
inline constexpr int kTileTwoColumnWidth = 460;
inline constexpr int kTileColumnSlack = 20;

// Alarm text: one blank, then four 4-character marks (blanks when the flag is clear).
inline constexpr int kAlarmTextLength = 17;
inline constexpr const char* kOfflineValueText = "ERR";

struct OverviewTile {
  std::int32_t Colour = kTileLime;  // outer panel
  std::string Title;                // UTF-8: meter name + "--" + channel name
  std::string ValueText;            // empty until the first refresh; "ERR" while offline
  std::string UnitText;             // UTF-8, empty until the first refresh
  std::string AlarmText;            // empty until the first refresh; " " while offline
};

struct OverviewLayout {
  int Columns = 1;
  int Gap = 0;  // between columns; unused with one column
};

struct TileRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

// Columns and gap for a scroll box `width` pixels wide: one column below 460, otherwise
// (width - 20) div 220 columns with a gap of (width - 220·c) div c.
OverviewLayout ComputeOverviewLayout(int width);
// Tile t: left = (t mod c)(220 + g) + 6, top = (t div c) × 116 + 6; 220 × 110.
TileRect OverviewTileRect(const OverviewLayout& layout, int t);
// Width and height that hold `tileCount` tiles (their right and bottom edges; 0 × 0 for none).
TileRect OverviewContentRect(const OverviewLayout& layout, int tileCount);

class OverviewTiles {
 public:
  // Rebuilds every tile from the table: one per channel in use, lime, the title set, the other
  // texts empty. Every tile is marked changed.
  void Build(const MeterTable& table);

  // Refreshes tile t from channel j of meter m (the tick's tile step). An offline meter shows
  // "ERR" and lime. An online channel with an alarm flag alternates between lime and its alarm
  // colour (blue while alarmDelayCountdown > 0, red for HA or HHA, yellow otherwise) and the
  // call returns true (raise AlarmActive). Indexes outside the table or the tiles do nothing.
  // A tile whose colour or texts change is marked changed.
  bool Update(const MeterTable& table, int m, int j, int t, std::int32_t alarmDelayCountdown);

  int Count() const { return static_cast<int>(tiles_.size()); }
  // REQUIRES 0 <= t < Count(). The SMS step reads Title, ValueText and UnitText.
  const OverviewTile& Tile(int t) const { return tiles_[t]; }

  // Changed since the last ClearChanged (REQUIRES 0 <= t < Count()).
  bool Changed(int t) const { return changed_[t] != 0; }
  void ClearChanged();

 private:
  struct UnitCache {
    std::string Raw;   // code page 936 bytes the text was made from
    std::string Text;  // UTF-8
  };
  const std::string& UnitTextOf(int t, const TChannelRecord& channel);

  std::vector<OverviewTile> tiles_;
  std::vector<UnitCache> units_;
  std::vector<std::uint8_t> changed_;
};
