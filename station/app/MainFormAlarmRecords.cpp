// The alarm grid on the main window: it shows the alarm records of the recording period
// (AlarmRecords), one grid row per record row, as the tick opens and closes them. The grid holds
// no texts of its own: it draws each cell from the records (its cell source), which hold every
// row once.

#include <QPainter>

#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"

void Tfm_MainForm::ShowAlarmRecordsSource() {
  strgGrid_AlarmRecList->SetCellSource([this](int col, int row) {
    return QString::fromStdString(cycle_.Records().CellText(col, row));
  });
}

void Tfm_MainForm::ShowAlarmRow(int row, bool opened) {
  if (!opened) {
    strgGrid_AlarmRecList->InvalidateCell(kEndTimeCol, row);
    return;
  }
  // Every cell of the new row is the record's; no text of the grid's own stands in for one.
  if (row < strgGrid_AlarmRecList->RowCount()) {
    for (int col = 0; col < kAlarmColumnCount; ++col) {
      strgGrid_AlarmRecList->SetCells(col, row, QString());
    }
  }
  strgGrid_AlarmRecList->SetRowCount(row + 1);
}

void Tfm_MainForm::ShowAlarmRecordsReset() {
  // The alarm grid shows the records' header row alone.
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    strgGrid_AlarmRecList->SetCells(col, 0, QString());
  }
  strgGrid_AlarmRecList->SetRowCount(1);
}

void Tfm_MainForm::WriteAlarmRow(int row) {
  // The grid shows the records' rows as they are: the record is what goes into the file.
  if (row < 0 || row >= cycle_.Records().RowCount()) return;
  Reports reports;
  cycle_.Records().WriteAlarmRow(row, reports);
  ReportLater(reports);
}

void Tfm_MainForm::strgGrid_AlarmRecListDrawCell(int col, int row, const QRect& rect,
                                                 QPainter& painter, const TGridDrawState&) {
  painter.fillRect(rect, painter.brush());
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                   strgGrid_AlarmRecList->Cells(col, row));
}
