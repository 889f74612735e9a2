#include "station/app/supervision/SmsMessage.h"

#include <algorithm>

#include "common/Cp936.h"
#include "common/FixedText.h"

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

// The entry's parts behind its caption: TAB, value text, unit text, LF.
std::string EntryTail(const OverviewTile& tile) {
  std::string tail(1, kEntrySeparator);
  tail += tile.ValueText;
  tail += Utf8ToCp936(tile.UnitText);
  tail += kLineEnd;
  return tail;
}

std::string Entry(const OverviewTile& tile) { return Utf8ToCp936(tile.Title) + EntryTail(tile); }

// The entry with its caption cut, on a character boundary, so that it takes at most `room`
// bytes; empty when not even one character of the caption fits (value and unit stay whole).
std::string ShortenedEntry(const OverviewTile& tile, std::size_t room) {
  const std::string tail = EntryTail(tile);
  if (tail.size() >= room) return {};
  const std::string caption = Utf8ToCp936(tile.Title);
  const std::string_view kept = CutCp936(caption, room - tail.size());
  if (kept.empty()) return {};
  return std::string(kept) + tail;
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
      const OverviewTile& tile = tiles.Tile(cursor.TileIndex);
      std::string entry = Entry(tile);
      if (counted + entry.size() > kSmsMaxCountedBytes) {
        // Too long for what is left: the next message to this number resumes here.
        if (message.size() != headBytes) {
          message += kSmsMessageEnd;
          return message;
        }
        // Too long even behind the head alone: waiting for it would hold the sweep on this
        // number for the whole alarm. Its caption is shortened to fit, so that the channel is
        // still named; when the head leaves no room for any of it, it is passed over.
        entry = ShortenedEntry(tile, kSmsMaxCountedBytes - std::min(counted, kSmsMaxCountedBytes));
        if (entry.empty()) continue;
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
