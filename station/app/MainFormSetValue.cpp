// The set-value panel: reads or writes register 31 of the selected meter through the serial
// polling thread of its port (SetValueRequest), and the set-value part of the meter row
// selection.

#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>

#include "common/Errors.h"
#include "common/StrConv.h"
#include "common/ValueText.h"
#include "platform/Clock.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainForm.h"
#include "station/comm/SetValueRequest.h"

namespace {

constexpr int kSetValueColumn = 3;  // the meter grid's column of set values

// Divisors by Decimals. The sixth entry is 1; a Decimals beyond the table (a damaged channel)
// takes it as well instead of reading past the table.
constexpr long double kSetValueDivisors[] = {1, 10, 100, 1000, 10000, 1};
constexpr std::size_t kLastDivisor = std::size(kSetValueDivisors) - 1;

// The truncated value must fit 64 bits before its low 16 bits are taken.
constexpr long double kTruncLimit = 9223372036854775808.0L;  // 2^63

constexpr char kReadDone[] = "数据读取成功!";
constexpr char kReadFailed[] = "数据读取失败!";
constexpr char kWriteDone[] = "数据写入成功!";
constexpr char kWriteFailed[] = "数据写入失败!";
constexpr char kLabelSuffix[] = "--给定值";

long double DivisorOf(std::uint8_t decimals) {
  return kSetValueDivisors[std::min<std::size_t>(decimals, kLastDivisor)];
}

// The register as a text: a float32 divided by the divisor, the quotient rounded to float32, in
// the general format with the decimals as exponent digits.
QString SetValueText(std::int16_t value, std::uint8_t decimals) {
  const auto quotient = static_cast<float>(static_cast<float>(value) / DivisorOf(decimals));
  return QString::fromStdString(ValueText(quotient, decimals));
}

// The text times the divisor in extended precision, truncated toward zero; its low 16 bits in
// two's complement. Raises for a text that is not a number, and for a product beyond 64 bits.
std::int16_t SetValueOf(const std::string& text, std::uint8_t decimals) {
  const long double scaled = std::trunc(StrToFloat(text) * DivisorOf(decimals));
  if (!(std::fabs(scaled) < kTruncLimit)) throw Exception("Invalid floating point operation");
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::int64_t>(scaled)));
}

}  // namespace

void Tfm_MainForm::SelectSetValueTarget(int m) {
  SetValueTarget target;
  // The port shown for the meter, whatever its comm mode.
  target.port = ComboItemIndex(*cboBox_MeterCommSerial);
  target.slaveAddress = static_cast<std::uint8_t>(StrToInt(ed_MeterAddr->text().toStdString()));
  target.decimals = Table().Meters[m].Channels[0].Decimals;
  target.meterIndex = m;
  SetValueRequest.Select(target);
  edSV->setText(strgGrid_MeterList->Cells(kSetValueColumn, m + 1));
  edSV->SetLabelCaption(ed_MeterName->text() + QString::fromUtf8(kLabelSuffix));
}

const TCommSrvTh* Tfm_MainForm::SetValueServer() const {
  if (!InRunMode()) return nullptr;
  const std::int32_t port = SetValueRequest.Selected().port;
  for (const ThreadPtr<TCommSrvTh>& thread : SerialThreads) {
    if (thread->PortIndex == port && !thread->Finished()) return thread.get();
  }
  return nullptr;
}

std::optional<SetValueAnswer> Tfm_MainForm::RunSetValueRequest(SetValueCommand command,
                                                               std::int16_t value) {
  const TCommSrvTh* server = SetValueServer();
  if (server == nullptr) return std::nullopt;
  const std::uint32_t request = SetValueRequest.Post(command, value);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
  for (int waited = 0; waited < kSetValueWaitMs && !server->Finished();
       waited += kSetValueCheckMs) {
    if (auto answer = SetValueRequest.AnswerTo(request)) return answer;
    SleepMs(kSetValueCheckMs);
  }
  // Withdrawn, unless the answer came in the meantime.
  if (SetValueRequest.Withdraw(request)) return std::nullopt;
  return SetValueRequest.AnswerTo(request);
}

void Tfm_MainForm::SetMeterGridSetValueText(const QString& text) {
  // The grid may have been refilled since the meter was selected: only a meter row takes it.
  const int row = SetValueRequest.Selected().meterIndex + 1;
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
  edSV->setText(SetValueText(answer->value, SetValueRequest.Selected().decimals));
  SetMeterGridSetValueText(edSV->text());
}

void Tfm_MainForm::btSetSvClick() {
  // A text that is not a number raises here, before anything is requested.
  const std::int16_t value =
      SetValueOf(edSV->text().toStdString(), SetValueRequest.Selected().decimals);
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
  SetValueRequest.WithdrawPending();
}
