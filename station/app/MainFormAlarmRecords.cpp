// Alarm records: one row of the alarm grid per alarm occurrence of the recording period, opened
// when a channel's alarm flag rises and closed when it falls, each opening and closing mirrored
// into the period's alarm list file at the row's line.
//
// Rows are only ever appended to the grid, so a long period with thousands of alarms costs one
// row and one 150-byte line write per opening or closing, never a pass over the rows before.

#include <QPainter>

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>

#include "common/DateTime.h"
#include "common/FixedText.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"

namespace {

// Columns of the alarm grid.
enum AlarmColumn { kSlaveNameCol, kChannelNameCol, kAlarmModeCol, kStartTimeCol, kEndTimeCol };

// The four kinds, in the order their rows open within a tick (AlarmRowTable's second index).
constexpr std::array<std::string_view, Tfm_MainForm::kAlarmKinds> kAlarmKindTexts = {
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

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), text.size()); }

}  // namespace

void Tfm_MainForm::UpdateAlarmRecords(int m, int j, TDateTime tick) {
  if (m < 0 || m >= MetersInUse(Table())) return;
  const TMeterRecord& meter = Table().Meters[m];
  if (j < 0 || j >= ChannelsInUse(meter)) return;
  // While a meter is offline its rows are neither opened nor closed.
  if (!meter.IsOnline()) return;
  QString timeText;  // formatted only when a row opens or closes
  auto TimeText = [&]() -> const QString& {
    if (timeText.isEmpty()) timeText = Utf8(FormatDateTime(kDisplayDateTimePattern, tick));
    return timeText;
  };
  for (int kind = 0; kind < kAlarmKinds; ++kind) {
    const bool flag = FlagsOf(meter, kind)[j].load(std::memory_order_relaxed) != 0;
    std::int32_t& row = AlarmRowTable[m][kind][j];
    // An entry that names no row of this period's grid (it can only be stale) is no open row.
    if (row >= strgGrid_AlarmRecList->RowCount()) row = 0;
    if (flag && row == 0) {
      row = strgGrid_AlarmRecList->RowCount();
      strgGrid_AlarmRecList->SetRowCount(row + 1);
      strgGrid_AlarmRecList->SetCells(kSlaveNameCol, row, Utf8(ReadFixedText(meter.Name)));
      strgGrid_AlarmRecList->SetCells(kChannelNameCol, row,
                                      Utf8(ReadFixedText(meter.Channels[j].Name)));
      strgGrid_AlarmRecList->SetCells(kAlarmModeCol, row, Utf8(kAlarmKindTexts[kind]));
      strgGrid_AlarmRecList->SetCells(kStartTimeCol, row, TimeText());
      strgGrid_AlarmRecList->SetCells(kEndTimeCol, row, QString());
      WriteAlarmRow(row);
    } else if (!flag && row != 0) {
      strgGrid_AlarmRecList->SetCells(kEndTimeCol, row, TimeText());
      WriteAlarmRow(row);
      row = 0;
    }
  }
}

void Tfm_MainForm::strgGrid_AlarmRecListDrawCell(int col, int row, const QRect& rect,
                                                 QPainter& painter, const TGridDrawState&) {
  painter.fillRect(rect, painter.brush());
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                   strgGrid_AlarmRecList->Cells(col, row));
}
