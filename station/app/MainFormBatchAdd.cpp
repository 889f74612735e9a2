// The batch add: the dialog, then the new meters behind the existing ones in the meter table.

#include <QLabel>
#include <QPushButton>

#include <optional>
#include <utility>

#include "platform/gui/Captions.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/app/parts/BatchAdd.h"
#include "station/app/MainForm.h"
#include "station/app/MeterBatchAddForm.h"

namespace {

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
