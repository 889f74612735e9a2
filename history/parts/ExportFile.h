#pragma once
// The export of a time range of a history data file to a tab-separated text file (".xls").
// No Qt here: the export dialog (TForm2) asks the questions, this writes the file.
//
// Export file, 8-bit text (code page 936 channel names, as the history file holds them), every
// line ending in TAB CR LF:
//   "Time" TAB, then each selected channel's name slot (up to its NUL) and TAB;
//   per exported record: its time "YY-MM-DD HH:NN:SS" and TAB, then each selected channel's
//   value as ValueText and TAB.
// Channel i is selected when selected[i] == 1 (the viewer's CurveSelectedFlags).
//
// Which records: the first is m, the first record at or after the range start S; after each
// exported record `step` records are skipped (by seeking, never read), so line j holds record
// m + j·(step + 1). Line j is labelled S + j·(step + 1)·interval, the time asked for rather than
// the record's own time (up to one interval earlier when S lies between two records). Lines go on
// while their label is not after the range end E and the file still holds a whole record.
//
// All time arithmetic is done in whole milliseconds (DateTimeToMs): indexes taken from
// differences of TDateTime values pick the wrong record for many starts exactly on a record.
// File positions are 64-bit. Not thread-safe; one export at a time per object.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/DateTime.h"
#include "common/HistoryFile.h"
#include "history/parts/PageSearch.h"

// The sampling step typed by the user: a whole number of at least 0 (the runtime's integer
// syntax), or nothing.
std::optional<std::int32_t> ParseExportStep(std::string_view text);

// True when start <= end and both lie within fileStart..fileEnd, compared in whole milliseconds
// (a range taken from the file's own bounds is always accepted).
bool ExportRangeIsValid(TDateTime start, TDateTime end, TDateTime fileStart, TDateTime fileEnd);

class HistoryExport {
 public:
  // Reads and checks the history file's header. Fails with Missing or Io when the file cannot be
  // opened or read, and with BadContent (the message names the file and the fault) for a header
  // the reader refuses or a file the viewer cannot show (HistoryFileRefusal: no channel,
  // interval 0, times past the last date). Of a file of more than 128 channels only the first
  // 128 can be selected (`selected` has one flag per channel the viewer shows).
  FileStatus Open(const std::string& historyPath);

  // REQUIRES for the rest: Open succeeded.
  // m: the first record at or after `start` (0 for a start before the file's first record).
  std::int64_t FirstRecord(TDateTime start) const;
  // The intervals from start to end, rounded up (the export's progress maximum; with a step
  // above 0 fewer lines than this are written). 0 when end is not after start.
  std::int64_t IntervalCount(TDateTime start, TDateTime end) const;

  // Writes the export of start..end with `step` (>= 0) to exportPath, replacing any file of that
  // name; `lineWritten` (may be empty) runs after each record line. The history file itself is
  // never a target: choosing it fails before anything is written. Failures to create or write
  // the export file name it; the lines written before a write failure stay. A history file that
  // ends (or can no longer be read) before `end` ends the export without an error.
  FileStatus Write(const std::string& exportPath, TDateTime start, TDateTime end, std::int32_t step,
                   std::span<const std::uint8_t> selected,
                   const std::function<void()>& lineWritten) const;

 private:
  // Reads from the first record on, writes the header line and the record lines; the status of
  // a write that failed.
  FileStatus WriteLines(File& source, File& out, TDateTime start, TDateTime end,
                        std::int32_t step, std::span<const std::uint8_t> selected,
                        const std::function<void()>& lineWritten) const;
  std::string HeaderLine(std::span<const std::uint8_t> selected) const;
  std::string RecordLine(std::int64_t timeMs, const float* values,
                         std::span<const std::uint8_t> selected) const;

  HistoryFileReader reader_;
  TRecordTimeline timeline_;  // of reader_, set by Open
};
