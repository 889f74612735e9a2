#include "station/app/supervision/OverviewTiles.h"

#include <algorithm>
#include <string_view>

#include "common/FixedText.h"
#include "common/HistoryFile.h"
#include "common/ValueText.h"

namespace {

// Stores the text when it differs; true when it did.
bool Assign(std::string& to, std::string_view text) {
  if (to == text) return false;
  to.assign(text);
  return true;
}

struct AlarmFlags {
  bool LLA, LA, HA, HHA;
  bool Any() const { return LLA || LA || HA || HHA; }
};

// Each flag is read once, so that the colour and the alarm text agree even while a polling thread
// changes the flags during the refresh.
AlarmFlags ReadFlags(const TMeterRecord& meter, int j) {
  constexpr auto kRelaxed = std::memory_order_relaxed;
  return {meter.LLAFlags[j].load(kRelaxed) != 0, meter.LAFlags[j].load(kRelaxed) != 0,
          meter.HAFlags[j].load(kRelaxed) != 0, meter.HHAFlags[j].load(kRelaxed) != 0};
}

// The first rule that applies: a non-lime tile turns lime (so an alarmed tile blinks), blue while
// the alarm delay counts down, red for a high alarm, yellow for a low one.
std::int32_t NextAlarmColour(std::int32_t current, std::int32_t alarmDelayCountdown,
                             const AlarmFlags& flags) {
  if (current != kTileLime) return kTileLime;
  if (alarmDelayCountdown > 0) return kTileBlue;
  if (flags.HA || flags.HHA) return kTileRed;
  return kTileYellow;
}

// " " followed by " LLA", "  LA", "  HA", " HHA" or four blanks for each flag.
std::string_view FormatAlarmText(const AlarmFlags& flags, char (&buffer)[kAlarmTextLength]) {
  constexpr std::string_view kBlank = "    ";
  const std::string_view marks[4] = {flags.LLA ? " LLA" : kBlank, flags.LA ? "  LA" : kBlank,
                                     flags.HA ? "  HA" : kBlank, flags.HHA ? " HHA" : kBlank};
  buffer[0] = ' ';
  char* out = buffer + 1;
  for (std::string_view mark : marks) out = std::copy(mark.begin(), mark.end(), out);
  return {buffer, kAlarmTextLength};
}

}  // namespace

OverviewLayout ComputeOverviewLayout(int width) {
  if (width < kTileTwoColumnWidth) return {1, 0};
  const int columns = (width - kTileColumnSlack) / kTileWidth;
  return {columns, (width - kTileWidth * columns) / columns};
}

TileRect OverviewTileRect(const OverviewLayout& layout, int t) {
  const int columns = std::max(layout.Columns, 1);
  const int left = (t % columns) * (kTileWidth + layout.Gap) + kTileMargin;
  return {left, (t / columns) * kTileRowPitch + kTileMargin, kTileWidth, kTileHeight};
}

TileRect OverviewContentRect(const OverviewLayout& layout, int tileCount) {
  if (tileCount <= 0) return {};
  const int usedColumns = std::min(tileCount, layout.Columns);
  const TileRect lastColumn = OverviewTileRect(layout, usedColumns - 1);
  const TileRect lastRow = OverviewTileRect(layout, tileCount - 1);
  return {0, 0, lastColumn.Left + kTileWidth, lastRow.Top + kTileHeight};
}

void OverviewTiles::Build(const MeterTable& table) {
  tiles_.clear();
  for (int m = 0; m < MetersInUse(table); ++m) {
    const TMeterRecord& meter = table.Meters[m];
    const std::string meterName = ReadFixedText(meter.Name);
    for (int ch = 0; ch < ChannelsInUse(meter); ++ch) {
      OverviewTile tile;
      tile.Title = meterName + "--" + ReadFixedText(meter.Channels[ch].Name);
      tiles_.push_back(std::move(tile));
    }
  }
  units_.assign(tiles_.size(), UnitCache{});
  changed_.assign(tiles_.size(), 1);
}

const std::string& OverviewTiles::UnitTextOf(int t, const TChannelRecord& channel) {
  UnitCache& cache = units_[t];
  const std::string_view raw = FixedBytes(channel.Unit);
  if (cache.Raw != raw) {
    cache.Raw.assign(raw);
    cache.Text = ReadFixedText(channel.Unit);
  }
  return cache.Text;
}

bool OverviewTiles::Update(const MeterTable& table, int m, int j, int t,
                           std::int32_t alarmDelayCountdown) {
  if (m < 0 || m >= kMaxMeters || j < 0 || j >= kMaxChannels || t < 0 || t >= Count()) {
    return false;
  }
  const TMeterRecord& meter = table.Meters[m];
  OverviewTile& tile = tiles_[t];
  bool changed = false;
  bool raised = false;
  std::int32_t colour = kTileLime;
  std::string_view alarmText = " ";
  char alarmBuffer[kAlarmTextLength];
  if (meter.IsOnline()) {
    changed |= Assign(tile.ValueText, ValueText(static_cast<double>(meter.Value(j))));
    const AlarmFlags flags = ReadFlags(meter, j);
    if (flags.Any()) {
      colour = NextAlarmColour(tile.Colour, alarmDelayCountdown, flags);
      raised = true;
    }
    alarmText = FormatAlarmText(flags, alarmBuffer);
  } else {
    changed |= Assign(tile.ValueText, kOfflineValueText);
  }
  changed |= tile.Colour != colour;
  tile.Colour = colour;
  changed |= Assign(tile.UnitText, UnitTextOf(t, meter.Channels[j]));
  changed |= Assign(tile.AlarmText, alarmText);
  if (changed) changed_[t] = 1;
  return raised;
}

void OverviewTiles::ClearChanged() { std::fill(changed_.begin(), changed_.end(), 0); }
