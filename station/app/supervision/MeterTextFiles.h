#pragma once
// The per-meter history text files: each time a meter's record interval has passed, the
// supervision cycle appends one row with the time of day and the value of every channel to a
// file of that meter in a folder per half day. No Qt here; main thread only.
//
// Place: AppDir/YY'Y'MM'M'/DD'D'AM|PM/<name>_<index>.xls, e.g. 19Y12M/03DPM/Boiler_0.xls for meter
// 0 named Boiler in the afternoon of 3 December 2019. Every day has an AM and a PM folder, so a
// new file (with its header line) starts for every meter at noon and at midnight.
//
// Content: code page 936 bytes, lines ended by LF alone, no byte-order mark.
//   header line, written only when the file is created:
//       "时间" TAB, then each channel name followed by TAB, then LF; a TAB, CR or LF in a name
//       is written as a blank, so that every name stays above its column (the name is not changed)
//   data row:
//       two blanks, HH:NN:SS, TAB, then for each channel its ValueText followed by TAB (or "ERR"
//       followed by TAB while the meter is offline: a row is all values or all "ERR"), then LF
// An existing file is appended to without a new header, even when the meter's channels have
// changed since it was created.
//
// File names: the meter name is the operator's text and becomes part of a file name. Its code
// page 936 bytes (at most 39, the most a name field holds before its NUL; a damaged field
// without one is cut there too) are decoded to UTF-8 (the file system's encoding), and every
// '/' and '\' in it becomes '_', since either is a folder separator in one of the worlds the
// names come from; so does every control character (TAB, CR, LF, ...), which no one wants in a
// file name. As the name is always followed by "_<index>.xls", no name can then denote the
// half-day folder itself or its parent: an empty name gives "_0.xls", "." gives "._0.xls", ".."
// gives ".._0.xls".
// Decoding before replacing matters: the second byte of a double-byte character may be 0x5C.

#include <set>
#include <string>
#include <string_view>

#include "common/DateTime.h"
#include "common/HistoryFile.h"
#include "common/MeterRecord.h"

inline constexpr std::string_view kHalfDayFolderPattern = "DD'D'AM/PM";
inline constexpr std::string_view kTextRowTimePattern = "HH:NN:SS";
inline constexpr std::string_view kMeterTextExtension = ".xls";
inline constexpr std::string_view kOfflineRowValue = "ERR";

// "<name>_<index>.xls" from the meter's stored name (code page 936 bytes up to the first NUL),
// made safe as the header explains. UTF-8.
std::string MeterTextFileName(std::string_view meterNameCp936, int index);

// The half-day folder of `tick` under appDir: appDir/YY'Y'MM'M'/DD'D'AM|PM.
std::string MeterTextFolder(const std::string& appDir, TDateTime tick);

// The header line of the meter's file (code page 936): its channels in use, in order.
std::string MeterTextHeaderLine(const TMeterStored& meter);

// One data row (code page 936) for the time text "HH:NN:SS". The online flag is read once, the
// values as they stand (a polling thread may write them meanwhile).
std::string MeterTextRow(const TMeterRecord& meter, std::string_view timeText);

// Appends one data row to the file at `path`; creates the file with its header line first when
// it does not exist. An existing file is never emptied. The folder must exist (Missing otherwise).
FileStatus AppendMeterTextRow(const std::string& path, const TMeterRecord& meter,
                              std::string_view timeText);

// The text files of the cycle, with what keeps them cheap and quiet: the half-day folder last
// made is remembered, so the 120 rows of a tick cost no folder checks until the half day changes;
// a problem with a file or folder is reported once, and again only after a row has been written
// to that file (or the folder made) in between. Main thread only.
class MeterTextWriter {
 public:
  // The path of meter m's file for the tick: creates appDir, the month folder and the half-day
  // folder, one level after the other, when they are missing (not checked again while the half
  // day lasts). When a folder cannot be made the path is still returned (the append then fails
  // and is reported with it) and `report` gets the folder's problem the first time.
  std::string PathFor(const std::string& appDir, std::string_view meterNameCp936, int m,
                      TDateTime tick, std::string& report);

  // Appends the meter's row for `timeText` to `path` (AppendMeterTextRow). When the folder has
  // vanished since it was made, it is made again and the row written into it.
  WriteOutcome AppendRow(const std::string& path, const TMeterRecord& meter,
                         std::string_view timeText);

 private:
  // Remembers a failure of `key` (a path); true when it is new and must be reported.
  bool NewFailure(const std::string& key);

  std::string halfDayFolder_;  // the folder of the last tick that wrote a row
  bool folderMade_ = false;    // halfDayFolder_ exists (made, or found)
  std::set<std::string> failing_;
};
