// The station's start-up sequence and settings files under Res, and its shutdown.

#include <QCloseEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLabel>
#include <QTimer>

#include "common/AppPaths.h"
#include "common/IniFile.h"
#include "platform/Errors.h"
#include "platform/File.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Picture.h"
#include "platform/gui/StringGrid.h"
#include "station/app/parts/GsmSettings.h"
#include "station/app/MainForm.h"

namespace {

// Res\MFPara.ini
constexpr const char* kDefaultCaption = "Velm";

// Res\FlowChart1.ini
constexpr const char* kPictureSection = "PICTURE";
constexpr const char* kDefaultFlowChartName = "FlowChart1.jpg";

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

void CreateSettingsFolder() {
  // An existing folder stays as it is; a folder that cannot be made shows later as missing
  // settings files, which read as their defaults.
  (void)SystemFiles().MakeFolder(AppPath("\\Res"));
}

void ReadWindowCaption(Tfm_MainForm& form) {
  const TIniFile ini(AppPath("\\Res\\MFPara.ini"));
  form.setWindowTitle(Text(ini.ReadString("MFPARA", "MFNAME", kDefaultCaption)));
}

void ReadPhoneList(const TIniFile& ini, TStringGrid& grid) {
  for (int row = 1; row <= kPhoneRows; ++row) {
    grid.SetCells(kPhoneNameCol, row,
                  Text(ini.ReadString(kPhoneListSection, PhoneNameKey(row), "")));
    grid.SetCells(kPhoneNumberCol, row,
                  Text(ini.ReadString(kPhoneListSection, PhoneNumberKey(row), "")));
  }
}

// The SMS page's settings. A Delay that is not a whole number raises EConvertError after the
// settings are in their controls, before the phone list is read.
void ReadSmsSettings(Tfm_MainForm& form) {
  const TIniFile ini(AppPath(kGsmIniName));
  form.GSMcbAlarmEn->setChecked(ini.ReadBool(kGsmSection, kGsmEnableKey, kGsmDefaultEnable));
  // A port number outside the list leaves no item selected rather than another port.
  SetComboItemIndex(*form.GSMcbbCOM, ini.ReadInteger(kGsmSection, kGsmComKey, kGsmDefaultCom));
  form.GSMcbPWR_AlarmEn->setChecked(
      ini.ReadBool(kGsmSection, kGsmPowerAlarmKey, kGsmDefaultPowerAlarm));
  form.GSMedAlarmPWR_CH->setText(
      Text(ini.ReadString(kGsmSection, kGsmPowerChannelKey, kGsmDefaultPowerChannel)));
  form.GSMedAlarmDelayT->setText(
      Text(ini.ReadString(kGsmSection, kGsmDelayKey, kGsmDefaultDelay)));
  form.GSMedAlarmReload->setText(
      Text(ini.ReadString(kGsmSection, kGsmReloadKey, kGsmDefaultReload)));
  form.GSMmeAlarmText->setPlainText(
      Text(GsmAlarmText(ini.ReadString(kGsmSection, kGsmTextKey, kGsmDefaultText))));
  form.Cycle().Alarm().DropSilence();
  form.Cycle().LoadAlarmDelay(form.GSMedAlarmDelayT->text().toStdString());
  ReadPhoneList(ini, *form.GSM_SG_PhoneNum);
}

// Sets the point count (PointNum) first, even when the picture then fails to load; the picture
// loads only when the count is positive.
void LoadFlowChart(Tfm_MainForm& form, std::int32_t& pointCount) {
  const TIniFile ini(AppPath("\\Res\\FlowChart1.ini"));
  pointCount = ini.ReadInteger(kPictureSection, "PointNum", 0);
  if (pointCount <= 0) return;
  const std::string name = ini.ReadString(kPictureSection, "FileName", kDefaultFlowChartName);
  const std::string path = AppPath("\\Res\\" + name);
  // The name comes from a file anyone may edit: one that is absolute or climbs out of Res would
  // read a picture from anywhere, so it is refused as a missing file.
  if (!IsPlainRelativeName(name)) throw EFOpenError("Cannot open file " + path);
  form.ImFlowChart1->SetPicture(LoadPictureFile(path));
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
  ReadWindowCaption(*this);
  RaiseOnFailure(config_.CreateFileIfMissing());
  config_.ClearOnlineStates();
  ReadSmsSettings(*this);
  LoadFlowChart(*this, flowChartPointCount_);
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
