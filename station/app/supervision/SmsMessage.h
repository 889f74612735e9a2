#pragma once
// The SMS alarm message, composed as the code page 936 bytes that go to the GSM port. No Qt.
//
// Layout (LF = 0x0A, CR = 0x0D, TAB = 0x09):
//   "86" + the 11-byte mobile number + ":" + the alarm text + LF      (the head)
//   "系统断电!!" + LF                                                  (power-off line, optional)
//   tile caption + TAB + tile value text + tile unit text + LF         (one entry per channel)
//   CR LF                                                              (the end)
// Entries are appended while the running byte count of the head and the entries stays at or
// below 140; the closing CR LF is not counted. The alarm text is the memo's text, its lines
// joined by CR LF.
//
// The listing walks the channels in channel order from a cursor, takes every channel with any
// of its four alarm flags set (whether its meter is online or not: an offline channel lists its
// tile's "ERR") and stops at the first entry that does not fit, leaving the cursor on it, so
// the next message to the same number resumes there. When the head leaves no room for the
// message's first entry (or, with nothing to list, when it is over 140 bytes itself), the alarm
// text is cut on a character boundary until head and entry fit: no message is over 140 counted
// bytes, and each names at least one alarmed channel while there is one to name.
//
// Main thread only: the tiles belong to it; the alarm flags are read as the polling threads
// left them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/MeterRecord.h"
#include "station/app/supervision/OverviewTiles.h"

inline constexpr std::size_t kSmsNumberBytes = 11;
inline constexpr std::size_t kSmsMaxCountedBytes = 140;
inline constexpr std::string_view kSmsPrefix = "86";
inline constexpr std::string_view kSmsNumberSeparator = ":";
inline constexpr std::string_view kSmsMessageEnd = "\r\n";

// Where the listing resumes, and the messages sent in the current sweep.
struct TSmsCursor {
  std::int32_t MeterIndex = 0;
  std::int32_t ChannelIndex = 0;
  std::int32_t TileIndex = 0;  // the tile (series index) of MeterIndex's channel ChannelIndex
  std::int32_t SentInSweep = 0;
};

// The parts of the head, code page 936 bytes.
struct SmsHead {
  std::string_view Number;     // exactly kSmsNumberBytes bytes
  std::string_view AlarmText;  // already with CR LF between its lines
  bool PowerOffLine = false;
};

// The memo's text (UTF-8, lines separated by LF, CR LF or CR) as code page 936 bytes with CR LF
// between its lines.
std::string SmsAlarmText(std::string_view memoUtf8);

// The power-off line goes into a message when it is switched on and any alarm flag of the first
// channel of the first meter (table position 0, channel 0) is set.
bool PowerOffAlarmed(const MeterTable& table);

// One message from the head and the listing from `cursor`, which moves past every channel
// visited. A cursor that the table no longer fits (the table was edited in configuration mode
// while an alarm was pending) is first brought back inside it: meter and channel held to what
// is configured, the tile index taken from them. A channel that has no tile is not listed.
std::string ComposeSmsMessage(const SmsHead& head, const MeterTable& table,
                              const OverviewTiles& tiles, TSmsCursor& cursor);

// Every alarmed channel has been listed to the current number.
bool SmsListingComplete(const TSmsCursor& cursor, const MeterTable& table);
