// The stored configuration on the main window: start-up loads it from Config.dat and shows
// what the controls show of it.

#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "station/app/MainForm.h"

void Tfm_MainForm::LoadStoredConfiguration() {
  config_.LoadMeterTable();
  config_.LoadChartBackColor();
  chart_RealTimeCurves->SetBackColor(config_.ChartBackColor());
  colorBox_CurvesBackColor->SetSelected(config_.ChartBackColor());
  config_.LoadPassword();
  config_.LoadBaudTable();
  config_.LoadCurveRange();
  chart_RealTimeCurves->SetLeftAxisMinMax(config_.CurveRangeLow(), config_.CurveRangeHigh());
  ShowCurveRange();
  // A damaged file is reported in one box; what was valid is loaded. The box is shown once
  // start-up is over (nothing runs the event loop before), so that it never holds back polling
  // and recording: a station restarted unattended must not stay blind until someone answers.
  Reports problems = config_.TakeLoadProblems();
  ReportLater(problems);
}
