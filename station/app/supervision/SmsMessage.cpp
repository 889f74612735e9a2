#include "station/app/supervision/SmsMessage.h"

#include <algorithm>

#include "common/FixedText.h"
#include "platform/Cp936.h"

namespace {

constexpr std::string_view kPowerOffLineUtf8 = "系统断电!!";
constexpr char kLineEnd = '\n';
constexpr char kEntrySeparator = '\t';

const std::string& PowerOffLine() {
  static const std::string line = Utf8ToCp936(kPowerOffLineUtf8) + kLineEnd;
  return line;
}

// The head, its alarm text cut on a character boundary where need be, so that the head and
// `entryBytes` more make at most the counted limit.
std::string Head(const SmsHead& head, std::size_t entryBytes) {
  std::string text;
  text.reserve(kSmsMaxCountedBytes + kSmsMessageEnd.size());
  text += kSmsPrefix;
  text += head.Number;
  text += kSmsNumberSeparator;
  const std::size_t fixedBytes =
      text.size() + 1 + (head.PowerOffLine ? PowerOffLine().size() : 0) + entryBytes;
  const std::size_t room = kSmsMaxCountedBytes - std::min(fixedBytes, kSmsMaxCountedBytes);
  text += CutCp936(head.AlarmText, room);
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

// Moves the cursor, from where it stands, to the next channel to list: any of its four alarm flags
// set and a tile to show it (tiles are built from the same table; a channel without one has
// nothing to show). Returns that tile, or nullptr with the cursor past the last meter.
const OverviewTile* SeekListed(const MeterTable& table, const OverviewTiles& tiles,
                               TSmsCursor& cursor) {
  const int meters = MetersInUse(table);
  while (cursor.MeterIndex < meters) {
    const TMeterRecord& meter = table.Meters[cursor.MeterIndex];
    for (; cursor.ChannelIndex < ChannelsInUse(meter); ++cursor.ChannelIndex, ++cursor.TileIndex) {
      if (meter.AnyAlarmFlag(cursor.ChannelIndex) && cursor.TileIndex < tiles.Count()) {
        return &tiles.Tile(cursor.TileIndex);
      }
    }
    ++cursor.MeterIndex;
    cursor.ChannelIndex = 0;
  }
  return nullptr;
}

void StepPast(TSmsCursor& cursor) {
  ++cursor.ChannelIndex;
  ++cursor.TileIndex;
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
  FitCursor(table, cursor);
  // The entry that the head makes room for is the one listed first: its flags are read once.
  const OverviewTile* tile = SeekListed(table, tiles, cursor);
  std::string entry = tile != nullptr ? Entry(*tile) : std::string();
  std::string message = Head(head, entry.size());
  const std::size_t headBytes = message.size();
  while (tile != nullptr) {
    if (message.size() + entry.size() <= kSmsMaxCountedBytes) {
      message += entry;
    } else if (message.size() != headBytes) {
      break;  // the next message to this number resumes here
    }
    // An entry that does not fit even behind a head without alarm text (the record's field
    // widths keep every entry well within that) is passed over rather than held on for good.
    StepPast(cursor);
    tile = SeekListed(table, tiles, cursor);
    if (tile != nullptr) entry = Entry(*tile);
  }
  message += kSmsMessageEnd;
  return message;
}

bool SmsListingComplete(const TSmsCursor& cursor, const MeterTable& table) {
  return cursor.MeterIndex >= MetersInUse(table);
}
