#pragma once
// THistoryView: the history viewer's state and rules, without widgets. One object (the main
// window holds it) owns the open history file, the page shown, the curve selection and the
// channel aliases. It reads records into a sink, which the window fills its chart and progress
// gauge from, and it answers the questions of paging, the time-window search (with its
// refusals) and the cross-hair read-out. The window reads its controls, calls it and shows what
// it answers.
//
// Files are opened, read and closed for each operation: every page and every search opens the
// shown file again by its path, reads its header anew and is refused (with a message) when the
// file can no longer be shown. No Qt here; one thread (the viewer's GUI thread).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/DateTime.h"
#include "common/HistoryFile.h"
#include "history/parts/ChannelAliases.h"
#include "history/parts/PageSearch.h"

static_assert(kViewerMaxChannels == kAliasChannels);

// The open history file and the page shown. Texts are UTF-8 paths. File positions are 64-bit
// byte offsets (files pass 4 GiB); times are TDateTime values that are always whole
// milliseconds from the file's start time (record times are computed from the record index).
struct THistoryViewState {
  std::string CurrentDir;         // the current directory at start (THistoryView::Start)
  std::string HistoryFilePath;    // the file last opened; empty before the first open
  std::int64_t PointsShown = 0;   // points of each series of the page or searched window shown
  std::int64_t PageStartPos = 0;  // offset of the first record of the page shown
  std::int64_t NextPagePos = 0;   // offset just after the last record of the page read
  std::int32_t PageCount = 0;     // floor(records / 20,000) + 1
  std::int32_t CurrentPage = 0;   // 1-based
  TDateTime PageStartTime = 0;    // time of the record at PageStartPos
  TDateTime NextPageTime = 0;     // time of the record at NextPagePos
  TDateTime FileStartTime = 0;    // time of record 0
  TDateTime FileEndTime = 0;      // start + records × interval
};

// Where a reading puts the records: the window's curves (one per channel shown, curve i =
// channel i) and its progress gauge. A reading runs from BeginReading to EndReading; the
// picture is held (BeginUpdate .. EndUpdate) while the curves are replaced (ReplaceCurves) and
// filled (BeginRecords, then AddRecords and RecordsRead per block of records). An error
// raised by the sink (std::bad_alloc when the curves' memory cannot be had) ends the reading
// there, without EndReading, and reaches the caller; only a searched window's std::bad_alloc is
// handled by the view (see THistoryView::Search). EndUpdate is called in every case.
class THistoryCurveSink {
 public:
  // What new curves look like besides their points.
  enum class TCurves {
    Opened,    // a file just opened: aliases as titles, the chart's own colours; the side
               // panel's rows are made for them
    Paged,     // a page: no titles, the chart's own colours
    Searched,  // a searched window: aliases as titles, the side panel's colours
  };

  virtual ~THistoryCurveSink() = default;

  // The picture is held from BeginUpdate to EndUpdate: the curves are drawn once per reading,
  // with everything read.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  // A reading of the file begins, with the page state (page count, current page) that it
  // reads; the cross-hair read-out rests until EndReading.
  virtual void BeginReading() = 0;
  virtual void EndReading() = 0;

  // The number of curves shown now.
  virtual int CurveCount() const = 0;
  // Removes every curve and makes `curves` new ones of kind `kind`, each with room for `points`
  // points.
  virtual void ReplaceCurves(TCurves kind, int curves, std::int64_t points) = 0;
  // Removes every curve (their memory goes back).
  virtual void RemoveCurves() = 0;
  // Keeps the looks of the curves shown now (colour, title, visibility, line), for
  // RestoreCurves.
  virtual void RememberCurves() = 0;
  // Makes the curves remembered last again, with their looks, each with room for `points`
  // points.
  virtual void RestoreCurves(std::int64_t points) = 0;

  // Up to `records` records follow; point j of every curve is labelled with the time
  // firstLabelMs + j·intervalMs.
  virtual void BeginRecords(std::int64_t records, std::int64_t firstLabelMs,
                            std::int64_t intervalMs) = 0;
  // `records` whole records of `recordValues` float32 values each, one after the other: curve
  // i (i < curves) takes values[i], values[i + recordValues], ... as its next points.
  virtual void AddRecords(const float* values, int records, int recordValues, int curves) = 0;
  // `done` records of the reading have been added so far.
  virtual void RecordsRead(std::int64_t done) = 0;
};

class THistoryView {
 public:
  // The page buttons after a page has been read.
  struct TPageTurn {
    bool Read = false;    // the file was opened again and the page read
    std::string Refusal;  // why the file can no longer be shown; empty when it was not opened
    bool BackEnabled = false;
    bool NextEnabled = false;
  };
  struct TOpened {
    bool Shown = false;   // the file is the viewer's: read its first page (ReadFirstPage)
    std::string Refusal;  // why a file that opened cannot be shown; empty for a file that
                          // could not be opened at all (gone, unreadable), which is not told
    std::string Notice;   // for a file of more than 128 channels: only the first are shown
  };
  struct TSearchOutcome {
    // A range check failed: its message; nothing else was done.
    std::string RangeRefusal;
    // Otherwise: why the window is not shown (the file can no longer be shown or searched, or
    // the window's values cannot be held); empty when it is shown or the file could not be
    // opened again.
    std::string Refusal;
  };

  // Reads its history files from `files`, which must outlive the view (the alias file is
  // always the system's).
  explicit THistoryView(FileSystem& files = SystemFiles());

  // ---- State ----
  const THistoryViewState& HistoryViewState() const { return state_; }
  // One byte per channel: 1 = the curve is selected (shown and exported), 0 = not. All 0 in a
  // new view, all 1 after Start and after each open; the window's channel check boxes keep
  // them (SetCurveSelected); the export reads them.
  const std::array<std::uint8_t, kViewerMaxChannels>& CurveSelectedFlags() const {
    return curveSelected_;
  }
  void SetCurveSelected(int channel, bool selected);
  // The channel aliases, the in-memory copy of DevName.dat.
  const TChannelAliasTable& ChannelAliasTable() const { return aliases_; }
  TChannelAliasTable& ChannelAliasTable() { return aliases_; }

  // ---- Start-up and aliases ----
  // The start of the program in `currentDir`: every curve selected, CurrentDir, the aliases
  // loaded (LoadAliases). The problem to tell, or empty.
  std::string Start(const std::string& currentDir);
  // Loads the alias table from CurrentDir + "/DevName.dat", creating the file when missing.
  // The problem to tell (the aliases stay empty), or empty.
  std::string LoadAliases();
  // Alias k := `text` (cut to its 22 bytes), and DevName.dat rewritten. The problem to tell
  // (the alias is kept in memory all the same), or empty. Nothing for a k outside 0..127.
  std::string SetAlias(int k, std::string_view text);

  // ---- Opening a file ----
  // Opens `path` as the file to show. When it is shown, the view takes it: its path, page
  // count, first page, bounds and every curve selected; the first page is read by
  // ReadFirstPage. A file that is refused or does not open leaves the view as it was: the
  // file shown before stays its file, header included.
  TOpened Open(const std::string& path);
  // REQUIRES for the next three: Open has shown a file. They describe the file shown.
  // Its header.
  const THistoryFileHeader& Header() const { return reader_->Header(); }
  // The time just after the first page (at most 20,000 records), what the search's end
  // pickers start at.
  TDateTime FirstPageEnd() const;
  // Reads the first page into new curves (TCurves::Opened) and takes the page state.
  TPageTurn ReadFirstPage(THistoryCurveSink& sink);

  // ---- Paging ----
  // ">>": the page after the one shown, read from the file opened again.
  TPageTurn NextPage(THistoryCurveSink& sink);
  // "<<": the page before the one shown; nothing (not even the file opened) on the first page.
  TPageTurn PreviousPage(THistoryCurveSink& sink);

  // ---- Time-window search ----
  // Every record of the shown file from startMs to endMs (whole milliseconds, DateTimeToMs),
  // read whole into new curves (TCurves::Searched). Refused before anything is read: a range
  // outside the file or a start after the end (the range messages, in their order); a file
  // that can no longer be shown, or whose record interval is 0; a window whose values cannot
  // be held in the memory the process can still take (AvailableMemoryBytes, counting the
  // memory the curves shown now give back). A window whose curves could not be given their
  // memory after all is refused with the same message, from the memory measured again once its
  // curves have given theirs back; when that figure would hold the window all the same, the
  // message says only that the window cannot be held. The curves shown before are read again
  // (or none are left, when even they no longer fit).
  TSearchOutcome Search(std::int64_t startMs, std::int64_t endMs, THistoryCurveSink& sink);

  // ---- Cross-hair read-out ----
  // The point under X value `x` of a chart whose points run from X `lo` to `hi`: the points
  // are evenly spaced, so the index follows from X (at most the last point shown). None when
  // the points span nothing or x lies outside them.
  std::optional<std::int64_t> ReadOutIndex(double x, double lo, double hi) const;

 private:
  // The records that the curves show now, as ReadRecords read them last: what a searched
  // window that cannot be given its memory reads again.
  struct TShownRecords {
    std::int64_t First = 0;
    std::int64_t Count = 0;
    std::int64_t FirstLabelMs = 0;
  };

  // A reader of `path` when the file opens and can be shown; otherwise none, and `refusal`
  // says why one that opened cannot. reader_ is left alone either way.
  std::unique_ptr<HistoryFileReader> OpenShowable(const std::string& path,
                                                  std::string& refusal) const;
  // Opens HistoryFilePath again for a page or a search, and takes it as reader_: true when it
  // can still be shown and shows as many channels as the one shown (the side panel's rows match
  // its curves); reader_ stays as it was otherwise.
  bool ReopenShown(std::string& refusal);
  // Replaces the curves with new ones of `kind` holding the page that starts at record
  // `firstRecord`, and moves the page state past it; true when the reading stopped at the end
  // of the file rather than at the page's limit.
  bool ReadPage(THistoryCurveSink& sink, THistoryCurveSink::TCurves kind,
                std::int64_t firstRecord);
  // The reading of a searched window once it has passed its checks. Empty when it is shown;
  // otherwise the refusal.
  std::string ReadSearchWindow(THistoryCurveSink& sink, const TSearchWindow& window,
                               std::int64_t startMs);
  // Reads records first .. first + limit - 1 into the sink's curves in blocks (point j =
  // record first + j, labelled firstLabelMs + j·interval), stopping early at the end of the
  // file. Sets PointsShown; returns the number of records read.
  std::int64_t ReadRecords(THistoryCurveSink& sink, std::int64_t first, std::int64_t limit,
                           std::int64_t firstLabelMs);
  // The page state for a page of records firstRecord .. firstRecord + recordsRead - 1.
  void MovePageState(std::int64_t firstRecord, std::int64_t recordsRead,
                     const TRecordTimeline& timeline);

  FileSystem& files_;
  // The file shown (its header and records); replaced only by one that can be shown.
  std::unique_ptr<HistoryFileReader> reader_;
  THistoryViewState state_;
  std::array<std::uint8_t, kViewerMaxChannels> curveSelected_{};
  TChannelAliasTable aliases_;
  int shownChannels_ = 0;  // the channels of the file shown: its side panel's rows
  TShownRecords shownRecords_;
};
