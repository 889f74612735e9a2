#include "station/app/SmsMessage.h"

#include <algorithm>

#include "common/Cp936.h"

namespace {

constexpr std::string_view kPowerOffLineUtf8 = "系统断电!!";
constexpr char kLineEnd = '\n';
constexpr char kEntrySeparator = '\t';

const std::string& PowerOffLine() {
  static const std::string line = Utf8ToCp936(kPowerOffLineUtf8) + kLineEnd;
  return line;
}

std::string Head(const SmsHead& head) {
  std::string text;
  text.reserve(kSmsMaxCountedBytes + kSmsMessageEnd.size());
  text += kSmsPrefix;
  text += head.Number;
  text += kSmsNumberSeparator;
  text += head.AlarmText;
  text += kLineEnd;
  if (head.PowerOffLine) text += PowerOffLine();
  return text;
}

std::string Entry(const OverviewTile& tile) {
  std::string entry = Utf8ToCp936(tile.Title);
  entry += kEntrySeparator;
  entry += tile.ValueText;
  entry += Utf8ToCp936(tile.UnitText);
  entry += kLineEnd;
  return entry;
}

// Holds the cursor to the configured meters and channels and derives its tile from them. With
// the table the cursor was made for, this changes nothing.
void FitCursor(const MeterTable& table, TSmsCursor& cursor) {
  const int meters = MetersInUse(table);
  cursor.MeterIndex = std::clamp(cursor.MeterIndex, 0, meters);
  const int channels =
      cursor.MeterIndex < meters ? ChannelsInUse(table.Meters[cursor.MeterIndex]) : 0;
  cursor.ChannelIndex = std::clamp(cursor.ChannelIndex, 0, channels);
  int tile = cursor.ChannelIndex;
  for (int m = 0; m < cursor.MeterIndex; ++m) tile += ChannelsInUse(table.Meters[m]);
  cursor.TileIndex = tile;
}

}  // namespace

std::string SmsAlarmText(std::string_view memoUtf8) {
  std::string joined;
  joined.reserve(memoUtf8.size() + memoUtf8.size() / 8);
  for (std::size_t i = 0; i < memoUtf8.size(); ++i) {
    const char c = memoUtf8[i];
    if (c == '\r' || c == '\n') {
      joined += "\r\n";
      if (c == '\r' && i + 1 < memoUtf8.size() && memoUtf8[i + 1] == '\n') ++i;
    } else {
      joined += c;
    }
  }
  return Utf8ToCp936(joined);
}

bool PowerOffAlarmed(const MeterTable& table) { return table.Meters[0].AnyAlarmFlag(0); }

std::string ComposeSmsMessage(const SmsHead& head, const MeterTable& table,
                              const OverviewTiles& tiles, TSmsCursor& cursor) {
  std::string message = Head(head);
  const std::size_t headBytes = message.size();
  std::size_t counted = headBytes;
  FitCursor(table, cursor);
  const int meters = MetersInUse(table);
  while (cursor.MeterIndex < meters) {
    const TMeterRecord& meter = table.Meters[cursor.MeterIndex];
    for (; cursor.ChannelIndex < ChannelsInUse(meter); ++cursor.ChannelIndex, ++cursor.TileIndex) {
      // Tiles are built from the same table; a channel without one has nothing to show.
      if (!meter.AnyAlarmFlag(cursor.ChannelIndex) || cursor.TileIndex >= tiles.Count()) continue;
      const std::string entry = Entry(tiles.Tile(cursor.TileIndex));
      if (counted + entry.size() > kSmsMaxCountedBytes) {
        // An entry that does not fit even behind the head alone fits no message: waiting for
        // it would hold the whole sweep on this number, and no other number would ever hear
        // of the alarm. It is passed over.
        if (message.size() == headBytes) continue;
        message += kSmsMessageEnd;
        return message;
      }
      counted += entry.size();
      message += entry;
    }
    ++cursor.MeterIndex;
    cursor.ChannelIndex = 0;
  }
  message += kSmsMessageEnd;
  return message;
}

bool SmsListingComplete(const TSmsCursor& cursor, const MeterTable& table) {
  return cursor.MeterIndex >= MetersInUse(table);
}
