// The station's start-up sequence: the settings files under Res, the stored configuration from
// Config.dat and what the window shows of it; and its shutdown.

#include <QCloseEvent>
#include <QPushButton>
#include <QLabel>
#include <QTimer>

#include "common/AppPaths.h"
#include "common/Errors.h"
#include "platform/File.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Picture.h"
#include "station/app/MainForm.h"
#include "station/app/parts/SettingsFiles.h"

namespace {

void CreateSettingsFolder() {
  // An existing folder stays as it is; a folder that cannot be made shows later as missing
  // settings files, which read as their defaults.
  (void)SystemFiles().MakeFolder(AppPath("\\Res"));
}

// Sets the point count (PointNum) first, even when the picture then fails to load; the picture
// loads only when the count is positive.
void LoadFlowChart(Tfm_MainForm& form, std::int32_t& pointCount) {
  const TFlowChartSettings settings = ReadFlowChartSettings();
  pointCount = settings.PointCount;
  if (settings.PicturePath.empty()) return;
  if (!settings.Refusal.empty()) throw EFOpenError(settings.Refusal);
  form.ImFlowChart1->SetPicture(LoadPictureFile(settings.PicturePath));
}

}  // namespace

void Tfm_MainForm::FormCreate() {
  // The supervision timer runs from the window's creation; its ticks are held back until the
  // program entry calls StartupFinished.
  timer_PerSecond->start();
  // Nothing may write the stored configuration before it has been loaded.
  SetWritePathsEnabled(false);
  // A step that raises is shown in the error box and ends the sequence there.
  const bool completed = RunGuarded([this] {
    SetAppDir(CurrentDirectory());
    alarmSoundPath_ = AppPath("\\Alarm.wav");
    // The curve check boxes, tiles, polling threads and frames are members of the window, empty
    // from its construction on.
    InitConfigFiles();
    setValue_.WithdrawPending();
    Image1->SetPicture(LoadBitmapFile(AppPath("\\Velm_LOGO.BMP")));
    SetEnglishTexts();
    tabSheet_HT_Ctrl->SetTabVisible(false);
    TabSheet3->SetTabVisible(false);
    LoadStoredConfiguration();
    Button1->setVisible(false);
    Label8->setVisible(false);
    setWindowState(windowState() | Qt::WindowMaximized);
    EnterRunMode();
  });
  if (completed) config_.Access().CompleteStartup();
  SetWritePathsEnabled(config_.Access().WritesOpen());
}

void Tfm_MainForm::SetWritePathsEnabled(bool enabled) {
  // Opening leaves the editing buttons to the mode (run mode has just locked them); closing
  // locks them too, since the window's design state has them enabled.
  if (!enabled) SetConfigurationButtonsEnabled(false);
  for (QWidget* control : std::initializer_list<QWidget*>{
           btn_Login, btnGSM_SetSave, colorBox_CurvesBackColor, btn_SetCurvesRange}) {
    control->setEnabled(enabled);
  }
}

void Tfm_MainForm::InitConfigFiles() {
  CreateSettingsFolder();
  setWindowTitle(QString::fromStdString(ReadWindowCaption()));
  RaiseOnFailure(config_.CreateFileIfMissing());
  config_.ClearOnlineStates();
  ReadSmsSettings();
  LoadFlowChart(*this, flowChartPointCount_);
}

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

void Tfm_MainForm::StartupFinished() { startupFinished_ = true; }

void Tfm_MainForm::closeEvent(QCloseEvent* event) {
  // Closing is never questioned. No tick may run while polling stops, and the threads end
  // before the window and the meter table they use go. Nothing is saved here.
  timer_PerSecond->stop();
  StopPolling();
  CloseRecordingPeriod();
  // The program may end before a queued report would show: records lost at the period's end
  // are told now.
  ShowPendingReports();
  QWidget::closeEvent(event);
}
