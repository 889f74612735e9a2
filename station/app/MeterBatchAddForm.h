#pragma once
// Tfm_MeterBatchAddForm: the dialog of the batch add, which appends many like meters to the
// meter table in one step.
//
// A modal dialog created for one showing and destroyed afterwards (no parent window). The caller
// sets ExistingMeterCount and the English texts, shows it with RunModal and, on result 1
// (mrOk), appends the meters that AcceptedInput describes. bt_Ok is the default button: a press
// sets the result to 1 and runs bt_OkClick, which refuses input that does not convert or would
// break the meter table's bounds (message box captioned "错误"; the dialog stays open with the
// inputs as typed). bt_Cancel gives 2, closing the window 0. GUI thread only.
//
// The combo boxes are pick-only lists with an item selected from the start, so every index
// taken from them lies within its field's table.

#include <QDialog>

#include <cstdint>
#include <optional>

#include "station/app/parts/BatchAdd.h"

class QComboBox;
class QLabel;
class QPushButton;
class TCp936Edit;

class Tfm_MeterBatchAddForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = 417;
  static constexpr int kClientHeight = 294;

  explicit Tfm_MeterBatchAddForm(QWidget* parent = nullptr);

  QLabel* lab_MeterAddCount = nullptr;
  TCp936Edit* ed_MeterAddCount = nullptr;
  QLabel* lab_MeterName = nullptr;
  TCp936Edit* ed_MeterName = nullptr;
  QLabel* lab_MeterStartAddr = nullptr;
  TCp936Edit* ed_MeterAddr = nullptr;
  QLabel* lab_MeterPreRecordTime = nullptr;
  TCp936Edit* ed_MeterPreRecordTime = nullptr;
  QLabel* lab_RecordTimeUnit = nullptr;
  QLabel* lab_MeterCommStyle = nullptr;
  QComboBox* cbo_MeterCommStyle = nullptr;
  QLabel* lab_CommStartReg = nullptr;
  TCp936Edit* ed_CommStartReg = nullptr;
  QLabel* lab_MeterChCount = nullptr;
  TCp936Edit* ed_MeterChCount = nullptr;
  QLabel* lab_ChName = nullptr;
  TCp936Edit* ed_ChName = nullptr;
  QLabel* lab_CommMod = nullptr;
  QComboBox* cbo_CommMod = nullptr;
  QLabel* lab_MeterCommSerial = nullptr;
  QComboBox* cboBox_MeterCommSerial = nullptr;
  QLabel* lab_MeterIPAddr = nullptr;
  TCp936Edit* ed_MeterIPAddr = nullptr;
  QLabel* lab_Port = nullptr;
  TCp936Edit* ed_Port = nullptr;
  QLabel* lab_ChannelLLA = nullptr;
  TCp936Edit* ed_ChannelLLA = nullptr;
  QLabel* lab_ChannelLA = nullptr;
  TCp936Edit* ed_ChannelLA = nullptr;
  QLabel* lab_ChannelHA = nullptr;
  TCp936Edit* ed_ChannelHA = nullptr;
  QLabel* lab_ChannelHHA = nullptr;
  TCp936Edit* ed_ChannelHHA = nullptr;
  QLabel* lab_ChannelPoin = nullptr;
  QComboBox* cboBox_ChannelPoin = nullptr;
  QLabel* lab_ChannelUnit = nullptr;
  TCp936Edit* ed_ChannelUnit = nullptr;
  QPushButton* bt_Ok = nullptr;
  QPushButton* bt_Cancel = nullptr;

  // Meters already in the table; the caller sets it before showing the dialog.
  std::int32_t ExistingMeterCount = 0;

  // Runs after a press of bt_Ok has set the result to 1: converts the inputs once and checks
  // them (BatchAddRefusal); sets the result back to 0 and shows the refusal when they are
  // refused.
  void bt_OkClick();
  // The converted inputs that the last press of bt_Ok accepted, else nullopt.
  const std::optional<TBatchAddInput>& AcceptedInput() const { return accepted_; }

 private:
  // What the inputs hold, as the batch add's rules take them.
  TBatchAddTexts Texts() const;

  std::optional<TBatchAddInput> accepted_;
};
