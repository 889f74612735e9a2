// Config.dat on the main window: each load applies its result to the window's state and
// controls; each save writes one piece of that state, and a save that fails ends its handler
// in the error box.

#include <QStringList>

#include <utility>

#include "common/AppPaths.h"
#include "common/Errors.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Dialogs.h"
#include "station/app/ConfigFile.h"
#include "station/app/MainForm.h"

namespace {

std::string ConfigPath() { return AppPath("\\Config.dat"); }

}  // namespace

void Tfm_MainForm::NoteConfigProblem(const std::string& problem) {
  if (!problem.empty()) configProblems_.push_back(problem);
}

void Tfm_MainForm::ReportConfigProblems() {
  if (configProblems_.empty()) return;
  QStringList lines;
  for (const std::string& problem : configProblems_) lines << QString::fromStdString(problem);
  configProblems_.clear();
  ShowErrorBox(lines.join(QLatin1Char('\n')));
}

void Tfm_MainForm::LoadMeterTable() { NoteConfigProblem(::LoadMeterTable(ConfigPath(), Table)); }

void Tfm_MainForm::LoadChartBackColor() {
  NoteConfigProblem(::LoadChartBackColor(ConfigPath(), ChartBackColor));
  chart_RealTimeCurves->SetBackColor(ChartBackColor);
  colorBox_CurvesBackColor->SetSelected(ChartBackColor);
}

void Tfm_MainForm::LoadPassword() {
  std::string unreadReason;
  NoteConfigProblem(::LoadPassword(ConfigPath(), ConfigPassword, &unreadReason));
  ConfigAccess.PasswordLoaded(std::move(unreadReason));
}

void Tfm_MainForm::LoadBaudTable() {
  NoteConfigProblem(::LoadBaudTable(ConfigPath(), Table.PortBaudIndex));
}

void Tfm_MainForm::LoadCurveRange() {
  NoteConfigProblem(::LoadCurveRange(ConfigPath(), CurveRangeLow, CurveRangeHigh));
  chart_RealTimeCurves->SetLeftAxisMinMax(CurveRangeLow, CurveRangeHigh);
  ShowCurveRange();
}

void Tfm_MainForm::SaveMeterTable() { RaiseOnFailure(::SaveMeterTable(ConfigPath(), Table)); }

void Tfm_MainForm::SaveChartBackColor() {
  RaiseOnFailure(::SaveChartBackColor(ConfigPath(), ChartBackColor));
}

void Tfm_MainForm::SaveCurveRange() {
  RaiseOnFailure(::SaveCurveRange(ConfigPath(), CurveRangeLow, CurveRangeHigh));
}

void Tfm_MainForm::SaveBaudTable() {
  RaiseOnFailure(::SaveBaudTable(ConfigPath(), Table.PortBaudIndex));
}

void Tfm_MainForm::SavePassword() { RaiseOnFailure(::SavePassword(ConfigPath(), ConfigPassword)); }
