// The meter editor: the meter grid, its row selection, the meter edit fields and the Add,
// Delete, Modify and Save buttons; and the wiring of all the editors' controls.

#include <QComboBox>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <string>

#include "common/Errors.h"
#include "common/FixedText.h"
#include "common/StrConv.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/app/DialogControls.h"
#include "station/app/MainForm.h"

namespace {

// Meter grid columns.
constexpr int kPortColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kAddressColumn = 2;
constexpr int kHeaderColumns = 3;
constexpr int kSetValueColumn = 3;  // the set-value panel's texts, never written by a refill
const char* const kMeterGridHeaders[kHeaderColumns] = {"Serial", "Slave Name", "Addrress"};
// The item of cbo_CommMod that names every meter whose comm mode is not serial.
constexpr int kEthernetItem = 1;
constexpr int kCommModeNone = 255;  // cbo_CommMod without a selection: polled over TCP
constexpr int kFirstChannelNumber = 1;

constexpr char kTooManyMeters[] = "最多只能添加120台设备!";
constexpr char kBadAddress[] = "请正确输入设备地址!";
constexpr char kBadInterval[] = "请正确输入记录间隔!";
constexpr char kBadStartRegister[] = "请正确输入通讯起始地址!";
constexpr char kBadTcpPort[] = "请正确输入通讯端口";

std::optional<std::int32_t> EditNumber(const TCp936Edit& edit, const char* error) {
  const std::optional<std::int32_t> number = TryStrToInt(edit.text().toStdString());
  if (!number) ShowInputError(error);
  return number;
}

// A combo box with no item selected offers nothing to take: the field keeps its value, so no
// index outside the field's table ever reaches the record.
void TakeComboIndex(const QComboBox& combo, std::uint8_t& field) {
  const int index = ComboItemIndex(combo);
  if (index >= 0) field = static_cast<std::uint8_t>(index);
}

void TakeBaudIndex(PortBaudIndexTable& bauds, int comIndex, const QComboBox& baudCombo) {
  const int baud = ComboItemIndex(baudCombo);
  if (comIndex < 0 || comIndex >= kComPortCount || baud < 0) return;
  bauds[comIndex] = baud;
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
  for (int row = 0; row < grid.RowCount(); ++row) setValues << grid.Cells(kSetValueColumn, row);
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
  for (int row = 2; row < keptRows; ++row) grid.SetCells(kSetValueColumn, row, setValues[row]);
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
  // A COM index beyond COM40 (a damaged Config.dat) has no baud entry: no rate is shown.
  SetComboItemIndex(*cboBox_MeterCommBaundrate,
                    meter.ComIndex < kComPortCount ? Table().PortBaudIndex[meter.ComIndex] : -1);
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

void Tfm_MainForm::ReadMeterEdits(int index) {
  TMeterRecord& meter = Table().Meters[index];
  const std::optional<std::int32_t> address = EditNumber(*ed_MeterAddr, kBadAddress);
  if (!address) return;
  meter.SlaveAddress = static_cast<std::uint8_t>(*address);
  const std::optional<std::int32_t> interval = EditNumber(*ed_MeterPreRecordTime, kBadInterval);
  if (!interval) return;
  meter.RecordInterval = *interval;
  const std::optional<std::int32_t> start = EditNumber(*ed_CommStartReg, kBadStartRegister);
  if (!start) return;
  meter.StartRegister = static_cast<std::uint16_t>(*start);
  const std::optional<std::int32_t> port = EditNumber(*ed_Port, kBadTcpPort);
  if (!port) return;
  meter.TcpPort = *port;
  TakeComboIndex(*cbo_MeterCommStyle, meter.CommCode);
  // No selection is a valid comm mode: Ethernet.
  const int commMode = ComboItemIndex(*cbo_CommMod);
  meter.CommMode = static_cast<std::uint8_t>(commMode < 0 ? kCommModeNone : commMode);
  TakeComboIndex(*cboBox_MeterCommSerial, meter.ComIndex);
  TakeBaudIndex(Table().PortBaudIndex, ComboItemIndex(*cboBox_MeterCommSerial),
                *cboBox_MeterCommBaundrate);
  WriteFixedText(meter.IpAddress, ed_MeterIPAddr->text().toStdString());
  WriteFixedText(meter.Name, ed_MeterName->text().toStdString());
}

void Tfm_MainForm::btn_MeterAddClick() {
  const int count = MetersInUse(Table());
  if (count >= kMaxMeters) {
    ShowInputError(kTooManyMeters);
    return;
  }
  // The meter is added whatever the read reported.
  ReadMeterEdits(count);
  TMeterRecord& meter = Table().Meters[count];
  meter.ChannelCount = 1;
  TChannelRecord& channel = meter.Channels[0];
  WriteFixedText(channel.Name, "CH" + std::to_string(kFirstChannelNumber));
  channel.LLA = channel.LA = channel.HA = channel.HHA = 0.0f;
  Table().MeterCount = count + 1;
  FillMeterList();
  strgGrid_MeterList->SetRow(Table().MeterCount);
  strgGrid_MeterListClick();
}

void Tfm_MainForm::btn_MeterDelClick() {
  const int m = SelectedMeter();
  if (m < 0) return;
  const int count = MetersInUse(Table());
  // Whole records move, run-time part included: each meter keeps its last values.
  for (int j = m; j < count - 1; ++j) Table().Meters[j] = Table().Meters[j + 1];
  Table().MeterCount = count - 1;
  FillMeterList();
  strgGrid_MeterList->SetRow(m + 1);
}

void Tfm_MainForm::btn_MeterModifyClick() {
  const int row = strgGrid_MeterList->Row();
  const int m = SelectedMeter();
  if (m >= 0) {
    ReadMeterEdits(m);
    // The baud rate belongs to the meter's port as it stands after the read.
    TakeBaudIndex(Table().PortBaudIndex, Table().Meters[m].ComIndex, *cboBox_MeterCommBaundrate);
  }
  FillMeterList();
  strgGrid_MeterList->SetRow(row);
}

void Tfm_MainForm::btn_MeterSaveClick() {
  RaiseOnFailure(config_.SaveMeterTable());
  RaiseOnFailure(config_.SaveBaudTable());
}
