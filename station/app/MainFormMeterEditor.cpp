// The meter editor: the meter grid, its row selection, the meter edit fields and the Add,
// Delete, Modify and Save buttons; the batch add, which appends meters behind them; and the
// wiring of all the editors' controls.

#include <QComboBox>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "common/Errors.h"
#include "common/FixedText.h"
#include "platform/gui/Captions.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/app/DialogControls.h"
#include "station/app/MainForm.h"
#include "station/app/MainFormDesign.h"
#include "station/app/MeterBatchAddForm.h"
#include "station/app/parts/BatchAdd.h"
#include "station/app/parts/MeterEdits.h"

namespace {

// Meter grid columns.
constexpr int kPortColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kAddressColumn = 2;
constexpr int kHeaderColumns = 3;
// The set-value panel's texts, never written by a refill.
using main_window_design::kMeterGridSetValueColumn;
const char* const kMeterGridHeaders[kHeaderColumns] = {"Serial", "Slave Name", "Addrress"};
// The item of cbo_CommMod that names every meter whose comm mode is not serial.
constexpr int kEthernetItem = 1;
// The edit fields as the meter editor's rules take them.
TMeterEditTexts MeterEditTextsOf(const Tfm_MainForm& f) {
  TMeterEditTexts texts;
  texts.Address = f.ed_MeterAddr->text().toStdString();
  texts.RecordInterval = f.ed_MeterPreRecordTime->text().toStdString();
  texts.StartRegister = f.ed_CommStartReg->text().toStdString();
  texts.TcpPort = f.ed_Port->text().toStdString();
  texts.CommCode = ComboItemIndex(*f.cbo_MeterCommStyle);
  texts.CommMode = ComboItemIndex(*f.cbo_CommMod);
  texts.ComIndex = ComboItemIndex(*f.cboBox_MeterCommSerial);
  texts.BaudIndex = ComboItemIndex(*f.cboBox_MeterCommBaundrate);
  texts.IpAddress = f.ed_MeterIPAddr->text().toStdString();
  texts.Name = f.ed_MeterName->text().toStdString();
  return texts;
}

void SetBatchAddTexts(Tfm_MeterBatchAddForm& d) {
  d.setWindowTitle(QStringLiteral("Configuration in Bulk"));
  const std::pair<QWidget*, const char*> texts[] = {
      {d.lab_MeterAddCount, "Slaves Numbers"},   {d.lab_MeterName, "Slave Name"},
      {d.lab_MeterStartAddr, "Start Address"},   {d.lab_MeterPreRecordTime, "Rec-Interval"},
      {d.lab_MeterCommStyle, "Comm. Code"},      {d.lab_CommStartReg, "Start Register"},
      {d.lab_MeterChCount, "Channel Numbers"},   {d.lab_ChName, "Channel Name"},
      {d.lab_CommMod, "Comm. Mode"},             {d.lab_MeterCommSerial, "Serial No. "},
      {d.lab_MeterIPAddr, "Slave IP Address"},   {d.lab_Port, "Port"},
      {d.lab_ChannelLLA, "LLA Value"},           {d.lab_ChannelLA, "LA Value"},
      {d.lab_ChannelHA, "HA Value"},             {d.lab_ChannelHHA, "HHA Value"},
      {d.lab_ChannelPoin, "Decimal"},            {d.lab_ChannelUnit, "Unit"},
      {d.bt_Ok, "OK"},                           {d.bt_Cancel, "Cancel"},
  };
  for (const auto& [control, text] : texts) SetControlText(*control, QString::fromUtf8(text));
}

}  // namespace

void Tfm_MainForm::ConnectEditors() {
  const auto onClick = [this](QPushButton* button, void (Tfm_MainForm::*handler)()) {
    connect(button, &QPushButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
  };
  strgGrid_MeterList->OnClick = [this] { strgGrid_MeterListClick(); };
  strgGrid_MeterList->OnDblClick = [this] { strgGrid_MeterListDblClick(); };
  strgGrid_MeterList->OnDrawCell = [this](int col, int row, const QRect& rect, QPainter& painter,
                                          const TGridDrawState& state) {
    strgGrid_MeterListDrawCell(col, row, rect, painter, state);
  };
  strgGrid_MeterChannelList->OnClick = [this] { strgGrid_MeterChannelListClick(); };
  strgGrid_MeterChannelList->OnDrawCell = [this](int col, int row, const QRect& rect,
                                                 QPainter& painter, const TGridDrawState& state) {
    strgGrid_MeterChannelListDrawCell(col, row, rect, painter, state);
  };
  onClick(btn_MeterAdd, &Tfm_MainForm::btn_MeterAddClick);
  onClick(btn_MeterDel, &Tfm_MainForm::btn_MeterDelClick);
  onClick(btn_MeterModify, &Tfm_MainForm::btn_MeterModifyClick);
  onClick(btn_MeterSave, &Tfm_MainForm::btn_MeterSaveClick);
  onClick(btn_MeterBatchAdd, &Tfm_MainForm::btn_MeterBatchAddClick);
  onClick(btn_ChannelAdd, &Tfm_MainForm::btn_ChannelAddClick);
  onClick(btn_ChannelDel, &Tfm_MainForm::btn_ChannelDelClick);
  onClick(btn_ChannelModify, &Tfm_MainForm::btn_ChannelModifyClick);
  onClick(btn_ChannelSave, &Tfm_MainForm::btn_ChannelSaveClick);
  onClick(btReadSV, &Tfm_MainForm::btReadSVClick);
  onClick(btSetSv, &Tfm_MainForm::btSetSvClick);
  onClick(btExitSvOp, &Tfm_MainForm::btExitSvOpClick);
}

int Tfm_MainForm::SelectedMeter() const {
  const int m = strgGrid_MeterList->Row() - 1;
  const int shownMeters = strgGrid_MeterList->RowCount() - 2;
  if (m < 0 || m >= shownMeters || m >= MetersInUse(Table())) return -1;
  return m;
}

void Tfm_MainForm::FillMeterList() {
  TStringGrid& grid = *strgGrid_MeterList;
  for (int col = 0; col < kHeaderColumns; ++col) {
    grid.SetCells(col, 0, QString::fromUtf8(kMeterGridHeaders[col]));
  }
  // Shrinking the grid drops its rows' texts: the set values shown in column 3 go back into the
  // rows that the refill gives back, so each row keeps the last value read or written there.
  QStringList setValues;
  for (int row = 0; row < grid.RowCount(); ++row) setValues << grid.Cells(kMeterGridSetValueColumn, row);
  grid.SetRowCount(2);
  for (int m = 0; m < MetersInUse(Table()); ++m) {
    const TMeterRecord& meter = Table().Meters[m];
    const int row = m + 1;
    grid.SetCells(kNameColumn, row, QString::fromStdString(ReadFixedText(meter.Name)));
    grid.SetCells(kAddressColumn, row, QString::number(meter.SlaveAddress));
    grid.SetCells(kPortColumn, row,
                  meter.CommMode == 0 ? cboBox_MeterCommSerial->itemText(meter.ComIndex)
                                      : cbo_CommMod->itemText(kEthernetItem));
    grid.SetRowCount(grid.RowCount() + 1);
  }
  for (int col = 0; col < kHeaderColumns; ++col) grid.SetCells(col, grid.RowCount() - 1, {});
  const int keptRows = std::min(grid.RowCount(), static_cast<int>(setValues.size()));
  for (int row = 2; row < keptRows; ++row) grid.SetCells(kMeterGridSetValueColumn, row, setValues[row]);
}

void Tfm_MainForm::strgGrid_MeterListClick() {
  const int m = SelectedMeter();
  if (m < 0) return;
  const int row = m + 1;
  const TMeterRecord& meter = Table().Meters[m];
  ed_MeterName->setText(strgGrid_MeterList->Cells(kNameColumn, row));
  grupBox_MeterChannelInfo->setTitle(ed_MeterName->text() + QStringLiteral(":Channel Information"));
  ed_MeterAddr->setText(strgGrid_MeterList->Cells(kAddressColumn, row));
  ed_MeterIPAddr->setText(QString::fromStdString(ReadFixedText(meter.IpAddress)));
  ed_Port->setText(QString::number(meter.TcpPort));
  ed_MeterPreRecordTime->setText(QString::number(meter.RecordInterval));
  SetComboItemIndex(*cbo_MeterCommStyle, meter.CommCode);
  ed_CommStartReg->setText(QString::number(meter.StartRegister));
  SetComboItemIndex(*cbo_CommMod, meter.CommMode);
  SetComboItemIndex(*cboBox_MeterCommSerial, meter.ComIndex);
  SetComboItemIndex(*cboBox_MeterCommBaundrate, PortBaudOf(Table().PortBaudIndex, meter.ComIndex));
  FillChannelList(m);
  strgGrid_MeterChannelList->SetRow(1);
  strgGrid_MeterChannelListClick();
  SelectSetValueTarget(m);
}

void Tfm_MainForm::strgGrid_MeterListDrawCell(int col, int row, const QRect& rect,
                                              QPainter& painter, const TGridDrawState&) {
  painter.fillRect(rect, painter.brush());
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, strgGrid_MeterList->Cells(col, row));
}

void Tfm_MainForm::strgGrid_MeterListDblClick() {}

void Tfm_MainForm::btn_MeterAddClick() {
  if (!AddMeter(Table(), MeterEditTextsOf(*this), ShowInputError)) return;
  FillMeterList();
  strgGrid_MeterList->SetRow(Table().MeterCount);
  strgGrid_MeterListClick();
}

void Tfm_MainForm::btn_MeterDelClick() {
  const int m = SelectedMeter();
  if (m < 0) return;
  DeleteMeter(Table(), m);
  FillMeterList();
  // The edits and the channel editor follow the row: they show the meter that moved up into it
  // (else the next Modify would write the deleted meter over it), or nothing when the empty
  // row is left. The refill has selected row 1 without running the row selection.
  const bool moves = strgGrid_MeterList->Row() != m + 1;
  strgGrid_MeterList->SetRow(m + 1);
  if (!moves) strgGrid_MeterListClick();
  if (SelectedMeter() < 0) ClearMeterEdits();
}

void Tfm_MainForm::ClearMeterEdits() {
  for (TCp936Edit* edit : {ed_MeterName, ed_MeterAddr, ed_MeterPreRecordTime, ed_CommStartReg,
                           ed_MeterIPAddr, ed_Port}) {
    edit->clear();
  }
  // The caption names the meter shown, none now; and no meter has no channels either.
  grupBox_MeterChannelInfo->setTitle(QStringLiteral(":Channel Information"));
  TStringGrid& channels = *strgGrid_MeterChannelList;
  channels.SetRowCount(2);
  for (int col = 0; col < channels.ColCount(); ++col) channels.SetCells(col, 1, {});
  ClearChannelEdits();
}

void Tfm_MainForm::btn_MeterModifyClick() {
  const int row = strgGrid_MeterList->Row();
  const int m = SelectedMeter();
  if (m >= 0) ModifyMeter(Table(), m, MeterEditTextsOf(*this), ShowInputError);
  FillMeterList();
  strgGrid_MeterList->SetRow(row);
}

void Tfm_MainForm::btn_MeterSaveClick() {
  RaiseOnFailure(config_.SaveMeterTable());
  RaiseOnFailure(config_.SaveBaudTable());
}

void Tfm_MainForm::btn_MeterBatchAddClick() {
  Tfm_MeterBatchAddForm dialog;
  dialog.ExistingMeterCount = MetersInUse(Table());
  SetBatchAddTexts(dialog);
  if (RunModal(dialog) != mrOk) return;
  const std::optional<TBatchAddInput>& input = dialog.AcceptedInput();
  if (!input) return;
  AppendBatchMeters(Table(), *input);
  FillMeterList();
  if (Table().MeterCount == 0) return;
  strgGrid_MeterList->SetRow(Table().MeterCount);
  strgGrid_MeterListClick();
}
