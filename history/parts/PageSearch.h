#pragma once
// The page and time-window arithmetic of the history viewer, and which files it can show.
// No Qt here; pure functions, safe from any thread.
//
// Every time is handled in whole milliseconds since 1899-12-30 (DateTimeToMs): a record index
// taken from a difference of TDateTime values picks the wrong record for many starts that lie
// exactly on a record, and a time that adds the interval record by record drifts.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/DateTime.h"
#include "common/HistoryFile.h"

// The records of a history file on the time axis.
struct TRecordTimeline {
  std::int64_t StartMs = 0;     // time of record 0
  std::int64_t IntervalMs = 0;  // between two records; 0 for a file without record times
  std::int64_t RecordCount = 0;

  static TRecordTimeline Of(const HistoryFileReader& reader);
  // StartMs + k·IntervalMs, held within the 64-bit range whatever a header claims.
  std::int64_t RecordTimeMs(std::int64_t k) const;
  // Just after the last record: the time of record RecordCount.
  std::int64_t EndMs() const { return RecordTimeMs(RecordCount); }
};

// ---- Files the viewer shows ----

// The most channels the viewer holds (series, check boxes, curve flags, aliases).
inline constexpr int kViewerMaxChannels = 128;
// Empty when the viewer can open and page the opened file; otherwise why not (English, names
// the file): no channel at all, or records whose times run past the last date a time can hold.
// A record interval of 0 (the station's files when meter 0 records nothing) is shown: every
// record then has the start time. A file of more than 128 channels (a station may record 5,760)
// is shown cut down to its first 128.
std::string HistoryFileShowRefusal(const HistoryFileReader& reader);
// The channels of the file that the viewer shows, searches and exports: the first 128 at most.
int ShownChannelCount(const HistoryFileReader& reader);
// Empty for a file of at most 128 channels; otherwise the message that says, when the file is
// opened, that only its first 128 channels are shown, searched and exported.
std::string ChannelCutNotice(const HistoryFileReader& reader);
// Empty when the viewer can also search and export the file; otherwise why not: the reasons of
// HistoryFileShowRefusal, or a record interval of 0, by which the search's first record and the
// export's positions would be divided.
std::string HistoryFileRefusal(const HistoryFileReader& reader);

// The maximum of a progress gauge that advances `steps` times: at least 1 (a gauge of 0..0
// shows a busy animation instead of an empty bar) and at most the largest int.
int ProgressMaximum(std::int64_t steps);

// ---- Pages ----

// Records per page when a file is opened or paged.
inline constexpr int kPageRecordLimit = 20000;

// floor(records / pageRecords) + 1: a count that is a whole number of pages (0 included) has
// one page more than it has full pages. REQUIRES pageRecords > 0.
std::int32_t PageCountFor(std::int64_t records, std::int64_t pageRecords);
// "( <pages> // <page> )Page".
std::string PageLabelText(std::int32_t pageCount, std::int32_t page);
// "Time Range: YY-MM-DD HH:NN:SS to YY-MM-DD HH:NN:SS" followed by nine blanks.
std::string TimeRangeText(TDateTime start, TDateTime end);
// Record index at a byte offset of the file (the offset of a record or just after one).
std::int64_t RecordAtOffset(std::int64_t offset, int channels);
std::int64_t OffsetOfRecord(std::int64_t k, int channels);

// ---- Time-window search ----

enum class SearchRangeError { None, AfterFileEnd, BeforeFileStart, StartAfterEnd };

// The range checks of a search from start to end over a file that spans fileStart..fileEnd, in
// this order: either bound after the file's end, either bound before its start, start after
// end. Equal values pass every check.
SearchRangeError CheckSearchRange(std::int64_t startMs, std::int64_t endMs,
                                  std::int64_t fileStartMs, std::int64_t fileEndMs);
// The message of a failed check, byte for byte as the operators know it.
std::string_view SearchRangeMessage(SearchRangeError error);

// The records a search shows: point j is record FirstRecord + j, labelled start + j·interval.
struct TSearchWindow {
  std::int64_t FirstRecord = 0;  // the record at or before the start
  std::int64_t Points = 0;
};
// Empty when the values of a window of `points` records of `channels` curves can be held in
// memory; otherwise the refusal, naming the window's size and the longest window that can be
// shown (in records and as a time span of records `intervalMs` apart). A window may take three
// quarters of `availableBytes` (0: not known, nothing is refused for want of memory), and no
// curve holds more than 2^31 - 1 points.
std::string WindowMemoryRefusal(std::int64_t points, int channels, std::int64_t intervalMs,
                                std::int64_t availableBytes);
// The refusal of a window that passed that check but whose curves could not be given their
// memory after all, from `availableBytes` measured again once its curves were given back: the
// check's message when that figure refuses the window; otherwise, nothing better being known,
// the same message's head saying only that the window cannot be held, without a longest window.
std::string WindowNotHeldRefusal(std::int64_t points, int channels, std::int64_t intervalMs,
                                 std::int64_t availableBytes);

// The window from startMs to endMs: the records labelled start, start + interval, ... up to the
// last label not after the end, and always the second one too (a window shorter than one
// interval shows two points), as far as the file holds records.
// REQUIRES: interval > 0 and the range passed CheckSearchRange.
TSearchWindow SearchWindow(const TRecordTimeline& timeline, std::int64_t startMs,
                           std::int64_t endMs);
