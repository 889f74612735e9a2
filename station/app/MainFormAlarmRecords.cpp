// The alarm grid on the main window: it shows the alarm records of the recording period
// (AlarmRecords), one grid row per record row, as the tick opens and closes them.

#include <QPainter>

#include <string>

#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"

namespace {

constexpr int kEndTimeCol = kAlarmColumnCount - 1;

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), text.size()); }

}  // namespace

void Tfm_MainForm::ShowAlarmRow(int row, const AlarmRow& cells, bool opened) {
  if (!opened) {
    strgGrid_AlarmRecList->SetCells(kEndTimeCol, row, Utf8(cells[kEndTimeCol]));
    return;
  }
  strgGrid_AlarmRecList->SetRowCount(row + 1);
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    strgGrid_AlarmRecList->SetCells(col, row, Utf8(cells[col]));
  }
}

void Tfm_MainForm::ShowAlarmRecordsReset(const AlarmRow& header) {
  // The alarm grid shows the header row alone.
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    strgGrid_AlarmRecList->SetCells(col, 0, Utf8(header[col]));
  }
  strgGrid_AlarmRecList->SetRowCount(1);
}

void Tfm_MainForm::WriteAlarmRow(int row) {
  std::array<std::string, kAlarmColumnCount> texts;
  AlarmRowTexts cells;
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    texts[col] = strgGrid_AlarmRecList->Cells(col, row).toStdString();
    cells[col] = texts[col];
  }
  Reports reports;
  cycle_.Records().WriteAlarmLine(row, cells, reports);
  ReportLater(reports);
}

void Tfm_MainForm::strgGrid_AlarmRecListDrawCell(int col, int row, const QRect& rect,
                                                 QPainter& painter, const TGridDrawState&) {
  painter.fillRect(rect, painter.brush());
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                   strgGrid_AlarmRecList->Cells(col, row));
}
