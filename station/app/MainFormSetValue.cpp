// The set-value panel: reads or writes register 31 of the selected meter through the serial
// polling thread of its port (SetValueRequest), and the set-value part of the meter row
// selection.

#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>

#include <optional>
#include <string>

#include "common/StrConv.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"
#include "station/app/parts/SetValueClient.h"

namespace {

constexpr int kSetValueColumn = 3;  // the meter grid's column of set values

constexpr char kReadDone[] = "数据读取成功!";
constexpr char kReadFailed[] = "数据读取失败!";
constexpr char kWriteDone[] = "数据写入成功!";
constexpr char kWriteFailed[] = "数据写入失败!";
constexpr char kLabelSuffix[] = "--给定值";

}  // namespace

void Tfm_MainForm::SelectSetValueTarget(int m) {
  SetValueTarget target;
  // The port shown for the meter, whatever its comm mode.
  target.port = ComboItemIndex(*cboBox_MeterCommSerial);
  target.slaveAddress = static_cast<std::uint8_t>(StrToInt(ed_MeterAddr->text().toStdString()));
  target.decimals = Table().Meters[m].Channels[0].Decimals;
  target.meterIndex = m;
  setValue_.Select(target);
  edSV->setText(strgGrid_MeterList->Cells(kSetValueColumn, m + 1));
  edSV->SetLabelCaption(ed_MeterName->text() + QString::fromUtf8(kLabelSuffix));
}

std::optional<SetValueAnswer> Tfm_MainForm::RunSetValueRequest(SetValueCommand command,
                                                               std::int16_t value) {
  // Only a running serial thread of the target's port can answer, and only in run mode.
  const TCommSrvTh* server =
      InRunMode() ? polling_.SerialServerOf(setValue_.Selected().port) : nullptr;
  if (server == nullptr) return std::nullopt;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
  return setValue_.Run(command, value, server);
}

void Tfm_MainForm::SetMeterGridSetValueText(const QString& text) {
  // The grid may have been refilled since the meter was selected: only a meter row takes it.
  const int row = setValue_.Selected().meterIndex + 1;
  if (row < 1 || row > strgGrid_MeterList->RowCount() - 2) return;
  strgGrid_MeterList->SetCells(kSetValueColumn, row, text);
}

void Tfm_MainForm::btReadSVClick() {
  edSV->setText(QString());
  const std::optional<SetValueAnswer> answer = RunSetValueRequest(kSetValueRead, 0);
  if (!answer || !answer->done) {
    lbSvOpSta->setText(QString::fromUtf8(kReadFailed));
    return;
  }
  lbSvOpSta->setText(QString::fromUtf8(kReadDone));
  edSV->setText(QString::fromStdString(
      TSetValueClient::ValueText(answer->value, setValue_.Selected().decimals)));
  SetMeterGridSetValueText(edSV->text());
}

void Tfm_MainForm::btSetSvClick() {
  // A text that is not a number raises here, before anything is requested.
  const std::int16_t value =
      TSetValueClient::ValueOf(edSV->text().toStdString(), setValue_.Selected().decimals);
  const std::optional<SetValueAnswer> answer = RunSetValueRequest(kSetValueWrite, value);
  if (!answer || !answer->done) {
    lbSvOpSta->setText(QString::fromUtf8(kWriteFailed));
    return;
  }
  SetMeterGridSetValueText(edSV->text());
  lbSvOpSta->setText(QString::fromUtf8(kWriteDone));
}

void Tfm_MainForm::btExitSvOpClick() {
  plSV_Op->setVisible(false);
  setValue_.WithdrawPending();
}
