#include "station/app/supervision/AlarmRecords.h"

#include <algorithm>
#include <atomic>

#include "common/FixedText.h"

namespace {

// The four kinds, in the order their rows open within a tick.
constexpr std::array<std::string_view, AlarmRecords::kAlarmKinds> kAlarmKindTexts = {
    "LLA", "LA", "HA", "HHA"};

using FlagArray = std::atomic<std::uint8_t>[kMaxChannels];

const FlagArray& FlagsOf(const TMeterRecord& meter, int kind) {
  switch (kind) {
    case 0: return meter.LLAFlags;
    case 1: return meter.LAFlags;
    case 2: return meter.HAFlags;
    default: return meter.HHAFlags;
  }
}

AlarmRowTexts TextsOf(const AlarmRow& row) {
  AlarmRowTexts texts;
  for (int col = 0; col < kAlarmColumnCount; ++col) texts[col] = row[col];
  return texts;
}

}  // namespace

AlarmRecords::AlarmRecords() = default;

void AlarmRecords::ResetAlarmRecords(const MeterTable& table) {
  headerShown_ = true;
  // Released, not kept: the last period's rows may have been many.
  std::deque<Record>().swap(rows_);
  std::vector<ChannelNames>().swap(names_);
  for (auto& meter : namesOf_) std::fill(std::begin(meter), std::end(meter), 0u);
  for (int m = 0; m < MetersInUse(table); ++m) {
    for (auto& kind : alarmRowTable_[m]) std::fill_n(kind, ChannelsInUse(table.Meters[m]), 0);
  }
}

void AlarmRecords::SetAlarmListFile(std::string path) {
  writer_ = AlarmListWriter(std::move(path));
}

std::uint32_t AlarmRecords::NamesOf(const TMeterRecord& meter, int m, int j) {
  std::string meterName = ReadFixedText(meter.Name);
  std::string channelName = ReadFixedText(meter.Channels[j].Name);
  std::uint32_t& entry = namesOf_[m][j];
  if (entry != 0) {
    const ChannelNames& last = names_[entry - 1];
    if (last.Meter == meterName && last.Channel == channelName) return entry - 1;
  }
  names_.push_back({std::move(meterName), std::move(channelName)});
  entry = static_cast<std::uint32_t>(names_.size());
  return entry - 1;
}

void AlarmRecords::UpdateAlarmRecords(const MeterTable& table, int m, int j, TDateTime tick,
                                      AlarmRowChanges& changes, Reports& reports) {
  changes.Count = 0;
  if (m < 0 || m >= MetersInUse(table)) return;
  const TMeterRecord& meter = table.Meters[m];
  if (j < 0 || j >= ChannelsInUse(meter)) return;
  // While a meter is offline its rows are neither opened nor closed.
  if (!meter.IsOnline()) return;
  for (int kind = 0; kind < kAlarmKinds; ++kind) {
    const bool flag = FlagsOf(meter, kind)[j].load(std::memory_order_relaxed) != 0;
    std::int32_t& row = alarmRowTable_[m][kind][j];
    // An entry that names no row of this period (it can only be stale) is no open row.
    if (row != 0 && row >= RowCount()) row = 0;
    if (flag && row == 0) {
      row = RowCount();
      rows_.push_back({tick, 0.0, NamesOf(meter, m, j), static_cast<std::uint8_t>(kind), false});
      WriteAlarmRow(row, reports);
      changes.Changes[changes.Count++] = {row, true};
    } else if (!flag && row != 0) {
      Record& record = rows_[static_cast<std::size_t>(row) - 1];
      record.End = tick;
      record.Closed = true;
      WriteAlarmRow(row, reports);
      changes.Changes[changes.Count++] = {row, false};
      row = 0;
    }
  }
}

void AlarmRecords::CellInto(const Record& record, int col, std::string& text) const {
  switch (col) {
    case kSlaveNameCol:
      text = names_[record.Names].Meter;
      break;
    case kChannelNameCol:
      text = names_[record.Names].Channel;
      break;
    case kAlarmModeCol:
      text = kAlarmKindTexts[record.Kind];
      break;
    case kStartTimeCol:
      text = FormatDateTime(kDisplayDateTimePattern, record.Start);
      break;
    case kEndTimeCol:
      if (record.Closed) text = FormatDateTime(kDisplayDateTimePattern, record.End);
      break;
    default:
      break;
  }
}

AlarmRow AlarmRecords::Row(int row) const {
  AlarmRow cells;
  for (int col = 0; col < kAlarmColumnCount; ++col) cells[col] = CellText(col, row);
  return cells;
}

std::string AlarmRecords::CellText(int col, int row) const {
  std::string text;
  if (col < 0 || col >= kAlarmColumnCount || row < 0 || row >= RowCount()) return text;
  if (row == 0) {
    if (headerShown_) text = kAlarmHeaderTexts[col];
    return text;
  }
  CellInto(RecordOf(row), col, text);
  return text;
}

void AlarmRecords::WriteAlarmRow(int row, Reports& reports) {
  const AlarmRow cells = Row(row);
  AddReport(reports, writer_.WriteRow(row, TextsOf(cells)).Report);
}
