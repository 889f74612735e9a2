// The set-value panel: reads or writes register 31 of the selected meter through the serial
// polling thread of its port (SetValueRequest), and the set-value part of the meter row
// selection.

#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>

#include <optional>
#include <string>

#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"
#include "station/app/MainFormDesign.h"
#include "station/app/parts/SetValueClient.h"

namespace {

using main_window_design::kMeterGridSetValueColumn;

QString StatusText(SetValueCommand command, bool done) {
  return QString::fromUtf8(TSetValueClient::StatusText(command, done));
}

}  // namespace

void Tfm_MainForm::SelectSetValueTarget(int m) {
  setValue_.Select(TSetValueClient::TargetOf(m, Table().Meters[m],
                                             ComboItemIndex(*cboBox_MeterCommSerial),
                                             ed_MeterAddr->text().toStdString()));
  edSV->setText(strgGrid_MeterList->Cells(kMeterGridSetValueColumn, m + 1));
  edSV->SetLabelCaption(
      QString::fromStdString(TSetValueClient::LabelText(ed_MeterName->text().toStdString())));
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
  strgGrid_MeterList->SetCells(kMeterGridSetValueColumn, row, text);
}

void Tfm_MainForm::btReadSVClick() {
  edSV->setText(QString());
  const std::optional<SetValueAnswer> answer = RunSetValueRequest(kSetValueRead, 0);
  if (!answer || !answer->done) {
    lbSvOpSta->setText(StatusText(kSetValueRead, false));
    return;
  }
  lbSvOpSta->setText(StatusText(kSetValueRead, true));
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
    lbSvOpSta->setText(StatusText(kSetValueWrite, false));
    return;
  }
  SetMeterGridSetValueText(edSV->text());
  lbSvOpSta->setText(StatusText(kSetValueWrite, true));
}

void Tfm_MainForm::btExitSvOpClick() {
  plSV_Op->setVisible(false);
  setValue_.WithdrawPending();
}
