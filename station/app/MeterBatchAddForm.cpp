#include "station/app/MeterBatchAddForm.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include "common/MeterRecord.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "station/app/DialogControls.h"

namespace {

// Design grid: three columns of fields, each field under its label, six rows; buttons below.
constexpr int kColumnLeft[] = {8, 144, 280};
constexpr int kFieldWidth = 128;
constexpr int kRowTop = 8;
constexpr int kRowPitch = 40;
constexpr int kLabelHeight = 13;
constexpr int kFieldOffset = 15;  // label top to field top
constexpr int kFieldHeight = 21;
constexpr int kUnitLabelWidth = 12;
constexpr QRect kOkRect(120, 256, 75, 25);
constexpr QRect kCancelRect(222, 256, 75, 25);

QRect LabelRect(int column, int row) {
  return {kColumnLeft[column], kRowTop + row * kRowPitch, kFieldWidth, kLabelHeight};
}

QRect FieldRect(int column, int row, int width = kFieldWidth) {
  return {kColumnLeft[column], kRowTop + row * kRowPitch + kFieldOffset, width, kFieldHeight};
}

}  // namespace

Tfm_MeterBatchAddForm::Tfm_MeterBatchAddForm(QWidget* parent) : QDialog(parent) {
  SetUpDialogFrame(*this, "fm_MeterBatchAddForm", "设备批量添加", kClientWidth, kClientHeight);
  QDialog& d = *this;
  // Labels start empty: the caller gives them their texts.
  const auto label = [&d](const char* name, int column, int row) {
    return NewDialogLabel(d, name, "", LabelRect(column, row));
  };
  lab_MeterAddCount = label("lab_MeterAddCount", 0, 0);
  ed_MeterAddCount = NewDialogEdit(d, "ed_MeterAddCount", "1", 0, FieldRect(0, 0));
  lab_MeterName = label("lab_MeterName", 0, 1);
  ed_MeterName = NewDialogEdit(d, "ed_MeterName", "Slave", kNameMaxBytes, FieldRect(0, 1));
  lab_MeterStartAddr = label("lab_MeterStartAddr", 0, 2);
  ed_MeterAddr = NewDialogEdit(d, "ed_MeterAddr", "1", 0, FieldRect(0, 2));
  lab_MeterPreRecordTime = label("lab_MeterPreRecordTime", 0, 3);
  const QRect interval = FieldRect(0, 3, kFieldWidth - kUnitLabelWidth - 4);
  ed_MeterPreRecordTime = NewDialogEdit(d, "ed_MeterPreRecordTime", "1", 0, interval);
  lab_RecordTimeUnit = NewDialogLabel(
      d, "lab_RecordTimeUnit", "S",
      {interval.right() + 4, interval.top(), kUnitLabelWidth, interval.height()});
  lab_MeterCommStyle = label("lab_MeterCommStyle", 0, 4);
  cbo_MeterCommStyle = NewDialogCombo(d, "cbo_MeterCommStyle", {"3X", "4X"}, 0, FieldRect(0, 4));
  lab_CommStartReg = label("lab_CommStartReg", 0, 5);
  ed_CommStartReg =
      NewDialogEdit(d, "ed_CommStartReg", "0", kStartRegisterMaxBytes, FieldRect(0, 5));

  lab_MeterChCount = label("lab_MeterChCount", 1, 0);
  ed_MeterChCount = NewDialogEdit(d, "ed_MeterChCount", "1", 0, FieldRect(1, 0));
  lab_ChName = label("lab_ChName", 1, 1);
  ed_ChName = NewDialogEdit(d, "ed_ChName", "CH", kNameMaxBytes, FieldRect(1, 1));
  lab_CommMod = label("lab_CommMod", 1, 2);
  cbo_CommMod = NewDialogCombo(d, "cbo_CommMod", {"Serial", "Ethernet"}, 0, FieldRect(1, 2));
  lab_MeterCommSerial = label("lab_MeterCommSerial", 1, 3);
  cboBox_MeterCommSerial =
      NewDialogCombo(d, "cboBox_MeterCommSerial", ComPortItems(), 0, FieldRect(1, 3));
  lab_MeterIPAddr = label("lab_MeterIPAddr", 1, 4);
  ed_MeterIPAddr =
      NewDialogEdit(d, "ed_MeterIPAddr", "192.168.0.101", kIpAddressMaxBytes, FieldRect(1, 4));
  lab_Port = label("lab_Port", 1, 5);
  ed_Port = NewDialogEdit(d, "ed_Port", "1000", kPortMaxBytes, FieldRect(1, 5));

  lab_ChannelLLA = label("lab_ChannelLLA", 2, 0);
  ed_ChannelLLA = NewDialogEdit(d, "ed_ChannelLLA", "-50", kLimitMaxBytes, FieldRect(2, 0));
  lab_ChannelLA = label("lab_ChannelLA", 2, 1);
  ed_ChannelLA = NewDialogEdit(d, "ed_ChannelLA", "0", kLimitMaxBytes, FieldRect(2, 1));
  lab_ChannelHA = label("lab_ChannelHA", 2, 2);
  ed_ChannelHA = NewDialogEdit(d, "ed_ChannelHA", "500", kLimitMaxBytes, FieldRect(2, 2));
  lab_ChannelHHA = label("lab_ChannelHHA", 2, 3);
  ed_ChannelHHA = NewDialogEdit(d, "ed_ChannelHHA", "10000", kLimitMaxBytes, FieldRect(2, 3));
  lab_ChannelPoin = label("lab_ChannelPoin", 2, 4);
  cboBox_ChannelPoin = NewDialogCombo(d, "cboBox_ChannelPoin", DecimalsItems(), 0, FieldRect(2, 4));
  lab_ChannelUnit = label("lab_ChannelUnit", 2, 5);
  ed_ChannelUnit = NewDialogEdit(d, "ed_ChannelUnit", "℃", kUnitMaxBytes, FieldRect(2, 5));

  bt_Ok = NewDialogButton(d, "bt_Ok", "确认", kOkRect);
  bt_Cancel = NewDialogButton(d, "bt_Cancel", "取消", kCancelRect);
  MakeOkButton(d, *bt_Ok, [this] { bt_OkClick(); });
  MakeCancelButton(d, *bt_Cancel);
}

void Tfm_MeterBatchAddForm::bt_OkClick() {
  accepted_ = ConvertBatchAdd(Texts());
  const char* refusal = BatchAddRefusal(accepted_, ExistingMeterCount);
  if (refusal == nullptr) return;
  accepted_.reset();
  setResult(mrNone);
  ShowInputError(refusal);
}

TBatchAddTexts Tfm_MeterBatchAddForm::Texts() const {
  const auto text = [](const TCp936Edit* edit) { return edit->text().toStdString(); };
  TBatchAddTexts texts;
  texts.MeterCount = text(ed_MeterAddCount);
  texts.ChannelCount = text(ed_MeterChCount);
  texts.StartAddress = text(ed_MeterAddr);
  texts.RecordInterval = text(ed_MeterPreRecordTime);
  texts.StartRegister = text(ed_CommStartReg);
  texts.TcpPort = text(ed_Port);
  texts.LLA = text(ed_ChannelLLA);
  texts.LA = text(ed_ChannelLA);
  texts.HA = text(ed_ChannelHA);
  texts.HHA = text(ed_ChannelHHA);
  texts.CommCode = ComboItemIndex(*cbo_MeterCommStyle);
  texts.CommMode = ComboItemIndex(*cbo_CommMod);
  texts.ComIndex = ComboItemIndex(*cboBox_MeterCommSerial);
  texts.Decimals = ComboItemIndex(*cboBox_ChannelPoin);
  texts.MeterName = text(ed_MeterName);
  texts.ChannelName = text(ed_ChName);
  texts.IpAddress = text(ed_MeterIPAddr);
  texts.Unit = text(ed_ChannelUnit);
  return texts;
}
