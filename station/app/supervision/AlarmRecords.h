#pragma once
// The alarm records of a recording period: one row per alarm occurrence, opened when a channel's
// alarm flag rises and closed when it falls, each opening and closing mirrored into the period's
// alarm list file at the row's line (AlarmListFile.h). The rows are the alarm grid's content; the
// window shows them. No Qt here; main thread only.
//
// Row 0 is the header row; alarm rows follow in the order they opened. Rows are only ever
// appended during a period, so a long period with thousands of alarms costs one row and one
// 150-byte line write per opening or closing, never a pass over the rows before.
//
// A period may gather hundreds of thousands of rows, and the grid shows them all: each is held
// once, compactly (which channel's names, which kind, when it opened and closed: 24 bytes), and
// its texts are made when it is drawn or written. The names are those the channel had when the
// row opened, held once per channel and period, so the rows keep them after the table is
// edited.

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "common/DateTime.h"
#include "common/MeterRecord.h"
#include "station/app/parts/Reports.h"
#include "station/app/supervision/AlarmListFile.h"

// The five cells of one row (meter name, channel name, kind, start time, end time), UTF-8.
using AlarmRow = std::array<std::string, kAlarmColumnCount>;
// The cells' columns; a row that closes gets its end time.
enum AlarmColumn { kSlaveNameCol, kChannelNameCol, kAlarmModeCol, kStartTimeCol, kEndTimeCol };

// The rows one UpdateAlarmRecords opened or closed, in the order it did (kind order): the first
// Count entries of Changes.
struct AlarmRowChanges {
  struct Change {
    std::int32_t Row;
    bool Opened;  // false: closed (its end time was set)
  };
  int Count = 0;
  std::array<Change, 4> Changes;
};

class AlarmRecords {
 public:
  // The alarm kinds LLA, LA, HA, HHA (0..3), in the order their rows open within a tick.
  static constexpr int kAlarmKinds = 4;

  // One row, empty: the design grid's, before the first period.
  AlarmRecords();

  // The period reset: the header row alone, and no row open for any channel in use of `table`.
  // Entries of channels not in use stay as they are (an entry that names no row is ignored).
  void ResetAlarmRecords(const MeterTable& table);
  // The period's alarm list file (empty: none; every write is skipped).
  void SetAlarmListFile(std::string path);

  // Opens and closes the rows of channel j of meter m for tick time `tick`: a row opens when a
  // flag is set and none is open for its kind, and closes (end time = tick) when the flag is
  // clear again. While a meter is offline its rows are neither opened nor closed. Indexes
  // outside the table do nothing. `changes` gets the rows opened or closed (it runs for every
  // channel in every tick, so nothing is built when nothing changes); write problems go to
  // `reports`.
  void UpdateAlarmRecords(const MeterTable& table, int m, int j, TDateTime tick,
                          AlarmRowChanges& changes, Reports& reports);

  // Writes row `row` as line `row` of the alarm list file (REQUIRES 0 <= row < RowCount()).
  void WriteAlarmRow(int row, Reports& reports);

  int RowCount() const { return 1 + static_cast<int>(rows_.size()); }
  // The row's five cells as the grid shows them (REQUIRES 0 <= row < RowCount()). Row 0 is empty
  // until the first reset gives it the header texts.
  AlarmRow Row(int row) const;
  // One cell of Row(row); empty for a cell outside the rows.
  std::string CellText(int col, int row) const;
  // The open row of meter m, kind and channel j; 0 when none is open.
  std::int32_t OpenRow(int m, int kind, int j) const { return alarmRowTable_[m][kind][j]; }
  const std::string& AlarmListPath() const { return writer_.Path(); }

 private:
  // One alarm row. Times are tick times; End is set when the row closes.
  struct Record {
    TDateTime Start;
    TDateTime End;
    std::uint32_t Names;  // entry of names_
    std::uint8_t Kind;
    bool Closed;
  };
  static_assert(sizeof(Record) <= 24, "an alarm row is held in 24 bytes");
  // The names of a channel as rows show them (UTF-8).
  struct ChannelNames {
    std::string Meter;
    std::string Channel;
  };

  // The entry of names_ for channel j of meter m as it is named now: the one its last row used,
  // or a new one when there was none this period or the names changed.
  std::uint32_t NamesOf(const TMeterRecord& meter, int m, int j);
  // The cell's text, in `text` (for a column outside the row it is left empty).
  void CellInto(const Record& record, int col, std::string& text) const;
  const Record& RecordOf(int row) const { return rows_[static_cast<std::size_t>(row) - 1]; }

  bool headerShown_ = false;  // row 0 holds the header texts (from the first reset on)
  // Alarm rows 1, 2, ... A deque: a period's rows grow into the tens of thousands, and a tick
  // must never wait for all of them to be moved into a larger block.
  std::deque<Record> rows_;
  std::vector<ChannelNames> names_;
  // Entry of names_ + 1 of the last row of meter m, channel j this period; 0 when none.
  std::uint32_t namesOf_[kMaxMeters][kMaxChannels] = {};
  AlarmListWriter writer_;
  // Grid row of the open alarm row of each meter, kind and channel; 0 when none is open (row 0
  // is the header).
  std::int32_t alarmRowTable_[kMaxMeters][kAlarmKinds][kMaxChannels] = {};
};
