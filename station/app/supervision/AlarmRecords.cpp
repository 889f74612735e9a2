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

AlarmRecords::AlarmRecords() : rows_(1) {}

void AlarmRecords::ResetAlarmRecords(const MeterTable& table) {
  rows_.assign(1, AlarmRow{});
  for (int col = 0; col < kAlarmColumnCount; ++col) rows_[0][col] = kAlarmHeaderTexts[col];
  for (int m = 0; m < MetersInUse(table); ++m) {
    for (auto& kind : alarmRowTable_[m]) std::fill_n(kind, ChannelsInUse(table.Meters[m]), 0);
  }
}

void AlarmRecords::SetAlarmListFile(std::string path) {
  writer_ = AlarmListWriter(std::move(path));
}

void AlarmRecords::UpdateAlarmRecords(const MeterTable& table, int m, int j, TDateTime tick,
                                      AlarmRowChanges& changes, Reports& reports) {
  changes.Count = 0;
  if (m < 0 || m >= MetersInUse(table)) return;
  const TMeterRecord& meter = table.Meters[m];
  if (j < 0 || j >= ChannelsInUse(meter)) return;
  // While a meter is offline its rows are neither opened nor closed.
  if (!meter.IsOnline()) return;
  std::string timeText;  // formatted only when a row opens or closes
  auto TimeText = [&]() -> const std::string& {
    if (timeText.empty()) timeText = FormatDateTime(kDisplayDateTimePattern, tick);
    return timeText;
  };
  for (int kind = 0; kind < kAlarmKinds; ++kind) {
    const bool flag = FlagsOf(meter, kind)[j].load(std::memory_order_relaxed) != 0;
    std::int32_t& row = alarmRowTable_[m][kind][j];
    // An entry that names no row of this period (it can only be stale) is no open row.
    if (row != 0 && row >= RowCount()) row = 0;
    if (flag && row == 0) {
      row = RowCount();
      rows_.push_back({ReadFixedText(meter.Name), ReadFixedText(meter.Channels[j].Name),
                       std::string(kAlarmKindTexts[kind]), TimeText(), std::string()});
      WriteAlarmRow(row, reports);
      changes.Changes[changes.Count++] = {row, true};
    } else if (!flag && row != 0) {
      rows_[row][kEndTimeCol] = TimeText();
      WriteAlarmRow(row, reports);
      changes.Changes[changes.Count++] = {row, false};
      row = 0;
    }
  }
}

void AlarmRecords::WriteAlarmRow(int row, Reports& reports) {
  AddReport(reports, writer_.WriteRow(row, TextsOf(rows_[row])).Report);
}
