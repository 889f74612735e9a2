#pragma once
// The alarm list file (".xls" beside the period's history data file): line r mirrors row r of the
// alarm grid and occupies bytes 150·r .. 150·r + 149; line 0 is the header row. No Qt here.
//
// Line layout, 150 bytes:
//   offset   0, 40 bytes: column 0 (meter name), then TAB
//   offset  40, 40 bytes: column 1 (channel name), then TAB
//   offset  80, 10 bytes: column 2 (alarm kind), then TAB
//   offset  90, 30 bytes: column 3 (start time), then TAB
//   offset 120, 30 bytes: column 4 (end time, empty while open), then LF
// Each text is code page 936 bytes at its field's offset, its separator right after it, every
// other byte NUL. A text longer than its field minus one byte is cut on a character boundary, so
// the separator always stays inside the field and the offsets never move. The one text this
// touches is the header's "Alarm Mode", exactly as long as its 10-byte field: the file's header
// line reads "Alarm Mod" + TAB there, where writing it whole would put its TAB on byte 90 and
// "Starting Time" over that TAB, running the two titles together.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/HistoryFile.h"

inline constexpr int kAlarmLineSize = 150;
inline constexpr int kAlarmColumnCount = 5;
inline constexpr std::array<int, kAlarmColumnCount> kAlarmFieldOffsets = {0, 40, 80, 90, 120};
inline constexpr std::array<int, kAlarmColumnCount> kAlarmFieldWidths = {40, 40, 10, 30, 30};
inline constexpr char kAlarmColumnSeparator = '\t';
inline constexpr char kAlarmLineEnd = '\n';

using AlarmLine = std::array<char, kAlarmLineSize>;
// The five cells of one grid row, UTF-8 as the grid holds them.
using AlarmRowTexts = std::array<std::string_view, kAlarmColumnCount>;

// Row 0 of the alarm grid and line 0 of the file.
inline constexpr AlarmRowTexts kAlarmHeaderTexts = {"Slave Name", "Channel Name", "Alarm Mode",
                                                    "Starting Time", "End Time"};

// The 150-byte line of one row: each text encoded to code page 936.
AlarmLine BuildAlarmLine(const AlarmRowTexts& cells);

// Creates the period's alarm list file empty, only when no file of that name exists.
FileStatus CreateAlarmListFile(const std::string& path);

// Writes grid rows to the period's alarm list file. One object per recording period; main thread
// only.
class AlarmListWriter {
 public:
  AlarmListWriter() = default;  // no file: every write is skipped
  explicit AlarmListWriter(std::string path) : path_(std::move(path)) {}

  // Writes the row as line `row` (REQUIRES row >= 0): open the existing file, seek to 150·row,
  // one write, close. A file that has vanished is not created again. A failure is reported the
  // first time and again only after a write has succeeded in between.
  WriteOutcome WriteRow(std::int64_t row, const AlarmRowTexts& cells);

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  bool failing_ = false;
};
