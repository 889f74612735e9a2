// The alarm grid on the main window: it shows the alarm records of the recording period
// (AlarmRecords), one grid row per record row, as the tick opens and closes them.

#include <QPainter>

#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"

void Tfm_MainForm::ShowAlarmRow(int row, const AlarmRow& cells, bool opened) {
  if (!opened) {
    strgGrid_AlarmRecList->SetCells(kEndTimeCol, row, QString::fromStdString(cells[kEndTimeCol]));
    return;
  }
  strgGrid_AlarmRecList->SetRowCount(row + 1);
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    strgGrid_AlarmRecList->SetCells(col, row, QString::fromStdString(cells[col]));
  }
}

void Tfm_MainForm::ShowAlarmRecordsReset(const AlarmRow& header) {
  // The alarm grid shows the header row alone.
  for (int col = 0; col < kAlarmColumnCount; ++col) {
    strgGrid_AlarmRecList->SetCells(col, 0, QString::fromStdString(header[col]));
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
