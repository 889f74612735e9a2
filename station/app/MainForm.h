#pragma once
// Tfm_MainForm: the station's main window.
//
// The constructor builds the window's design: every control under its design name (objectName
// and public member alike), its containment, docking and design size, its initial enabled,
// visible and selected state and its design text (Chinese). It starts nothing: the start-up
// sequence (FormCreate), which runs after construction, starts timer_PerSecond (its ticks wait
// for StartupFinished), sets the English texts (SetEnglishTexts) and hides the pages and
// controls the station never shows.
//
// Containment, from the top: the quick-button panel (81 pixels), the main page control with its
// seven tab sheets (the Overview sheet active), and the status bar with five panels.
//
// The controls are TMainFormControls's members (MainFormControls.h); the rules behind the
// handlers live in plain parts the window holds: the stored configuration (TStationConfig, with
// what the operator may reach of it and the mode, TConfigAccess), the polling control
// (TPollingControl), the set-value client (TSetValueClient) and the supervision cycle
// (SupervisionCycle) with the alarm, SMS and recording state it drives; and in the plain rules
// the handlers call: the editors' (MeterEdits, BatchAdd), the settings files' (SettingsFiles,
// SmsPage) and the trend range's (StationConfig.h). The window and all of its controls belong
// to the GUI thread.

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/MeterRecord.h"
#include "platform/ClientSocket.h"
#include "station/app/MainFormControls.h"
#include "station/app/parts/PollingControl.h"
#include "station/app/parts/SetValueClient.h"
#include "station/app/parts/StationConfig.h"
#include "station/app/supervision/SupervisionCycle.h"
#include "station/comm/SetValueRequest.h"

class QButtonGroup;
class QPainter;
class QRect;
class TFormAlarm;
class TSoundPlayer;
struct TGridDrawState;

class Tfm_MainForm : public QWidget, public TMainFormControls {
  Q_OBJECT
 public:
  static constexpr int kDesignWidth = 1034;
  static constexpr int kDesignHeight = 679;
  // MS Sans Serif of the design: 11 pixels high.
  static constexpr int kFontPixelSize = 11;
  static constexpr int kQuickButtonPanelHeight = 81;
  static constexpr int kTimerIntervalMs = 1000;

  explicit Tfm_MainForm(QWidget* parent = nullptr);
  ~Tfm_MainForm() override;

  // Replaces the design texts with the English ones, in this order: the top panel's three
  // buttons and clock label; the four main tabs that show and the two configuration tabs; the
  // labels and buttons of the meter panel, of the channel panel, of the trend page and of the
  // SMS page; then the phone grid's header row and its row numbers 1 to 10. Texts of hidden
  // controls, edits, combo boxes, the memo and the channel group box are left as they are.
  void SetEnglishTexts();

  // ======================================================================================
  // Behaviour. Everything below runs on the GUI thread unless said otherwise.
  // ======================================================================================

  // ---- Stored configuration ----
  // The meter table, password, baud indexes, trend back colour and range, and Config.dat.
  TStationConfig& Configuration() { return config_; }
  const TStationConfig& Configuration() const { return config_; }

 private:
  // Declared before everything that uses the meter table (the polling threads above all), so
  // that it goes last.
  TStationConfig config_;
  MeterTable& Table() { return config_.Table(); }
  const MeterTable& Table() const { return config_.Table(); }

 public:
  // ---- Start-up and shutdown (MainFormStartup.cpp) ----
  // The start-up sequence; runs once, after construction. An error raised by a step is shown in
  // the error box and ends the sequence at that step; the window still opens, but every control
  // that writes Config.dat or the ini files (or leads to configuration mode) stays disabled
  // until the sequence has run to its end (ConfigAccess).
  void FormCreate();
  void InitConfigFiles();
  // The alarm window the alarm step drives: the program entry creates it after the main window
  // and hands it over. It is not the main window's own: should it go first, the alarm step goes
  // on without it (the sound alone).
  void SetAlarmWindow(TFormAlarm& window);
  // Called by the program entry once the alarm window exists: from then on timer ticks run.
  void StartupFinished();
  bool IsStartupFinished() const { return startupFinished_; }
  // AppDir + "\Alarm.wav", set by start-up; the file the alarm sound plays.
  const std::string& AlarmSoundPath() const { return alarmSoundPath_; }
  void SetAlarmSoundPath(std::string path) { alarmSoundPath_ = std::move(path); }
  // Res\FlowChart1.ini's PointNum as start-up read it.
  std::int32_t FlowChartPointCount() const { return flowChartPointCount_; }

  // ---- Polling control (MainFormPolling.cpp) ----
  void BuildPollLists();
  void StartPolling();
  // Ends every polling thread and waits for each; keeps queued status updates flowing and shows
  // a busy cursor meanwhile.
  void StopPolling();
  bool PollingRunning() const { return polling_.Running(); }
  // The polling lists, port handles and threads.
  const TPollingControl& Polling() const { return polling_; }
  // Handlers of clientSocket_MeterComm; they run on the Ethernet polling thread.
  void clientSocket_MeterCommConnect(TClientSocket& socket);
  void clientSocket_MeterCommError(TClientSocket& socket, int& errorCode);

 private:
  // The Ethernet thread's way to the status bar. Declared before the threads, like everything
  // else they use, so that even the members' own destruction ends the threads first.
  std::unique_ptr<StatusPanelSink> statusSink_;
  TPollingControl polling_;

 public:
  // ---- Run mode and configuration mode (MainFormModes.cpp) ----
  void EnterRunMode();
  void EnterConfigMode();
  void btn_LoginClick();
  void btn_SignOutClick();
  void btn_ModifyPasswordClick();
  bool InRunMode() const { return config_.Access().InRunMode(); }

  // ---- Real-time trend chart (MainFormTrend.cpp) ----
  // One series of kTrendPoints points and one check box per channel, in channel order; both are
  // rebuilt by run mode. The back colour and the range are written to Config.dat when changed.
  static constexpr int kTrendPoints = 1000;
  void BuildCurveSelectList();
  void RebuildTrendSeries();
  // Scrolls series `series` by one point (label: the tick's time text); a series index the chart
  // does not have (run mode failed before the series were built) is skipped.
  void Animate(int series, const std::string& label, double value);
  void chkBoxCurvesSelectClick();
  // "ALL": every box and every series follows it. Connected to the operator's clicks only; run
  // mode calls it when it checks "ALL".
  void chkBox_SelectAllCurvesClick();
  void colorBox_CurvesBackColorChange();
  void upDown_CurvesWidthClick();
  void btn_CurvesPrintPreviewClick();
  void btn_CurvesZoomOutClick();
  void btn_CurvesZoomInClick();
  void btn_CurvesResumeClick();
  void btn_SetCurvesRangeClick();

  // ---- Hidden pages and history launcher (MainFormHiddenPages.cpp) ----
  // One TFrame1 per channel pair on TabSheet3, eight to a row; called by every resize. The
  // frames are rebuilt only when their content (frame count and channel names) has changed since
  // the last build: their positions do not depend on the window's size, and some thousand frames
  // of 19 widgets each take seconds to rebuild.
  void BuildWsdFrames();
  // Starts the history program AppDir + "\Olvesk", detached; its result is not looked at.
  void Button1Click();
  // Handlers of the temperature and humidity control page: they do nothing.
  void btTH_CtrlOKClick();
  void btTH_CtrlExitClick();
  void tabSheet_HT_CtrlShow();
  void btTempUpClick();
  void btTempDownClick();
  void Button2Click();
  void Button3Click();

 private:
  void ConnectTrend();
  // Shows CurveRangeLow and CurveRangeHigh in the range edits (general format, 3 exponent digits).
  void ShowCurveRange();
  void ConnectHiddenPages();
  // Holds the curve check boxes (not exclusive). Unchecking a button that is in no group looks
  // through all of its siblings; in a group it does not, which keeps "ALL" from costing
  // thousands squared steps.
  QButtonGroup* curveBoxGroup_ = nullptr;
  std::string trendLabel_;  // the last tick text given to Animate
  QString trendLabelText_;  // the same, converted once for every series of the tick
  std::vector<std::string> wsdFrameContent_;  // channel name bytes of the frames built

 public:

  // ---- Meter editor and batch add (MainFormMeterEditor.cpp) ----
  // The meter grid shows meter i in row i + 1 and one empty row after the last meter; column 3
  // holds the set-value panel's text. Add, Delete and Modify change the table in memory only
  // (their buttons work in configuration mode, when no polling thread runs), by the editor's
  // rules (MeterEdits); Save writes the meter table and the baud indexes to Config.dat. Input
  // errors show a box captioned "错误".
  void FillMeterList();
  // The row selection: edit fields, channel grid (row 1 selected) and set-value target from the
  // selected meter; nothing on the empty row.
  void strgGrid_MeterListClick();
  void strgGrid_MeterListDrawCell(int col, int row, const QRect& rect, QPainter& painter,
                                  const TGridDrawState& state);
  void strgGrid_MeterListDblClick();
  void btn_MeterAddClick();
  void btn_MeterDelClick();
  void btn_MeterModifyClick();
  void btn_MeterSaveClick();
  void btn_MeterBatchAddClick();
  // Meter index of the meter grid's selected row; -1 when it is not a meter row.
  int SelectedMeter() const;

  // ---- Channel editor (MainFormChannelEditor.cpp) ----
  // Channels of the meter selected in the meter grid; the buttons do nothing while the meter
  // grid's empty row is selected. A limit that is not a number raises EConvertError (the
  // handler's error box shows it) after the fields before it have been taken; one beyond
  // float32's range is shown as an input error with the same text and ends the handler alike.
  // Add and Modify take the edits by the editor's rules (MeterEdits).
  void FillChannelList(int m);
  void strgGrid_MeterChannelListClick();
  void strgGrid_MeterChannelListDrawCell(int col, int row, const QRect& rect, QPainter& painter,
                                         const TGridDrawState& state);
  void btn_ChannelAddClick();
  void btn_ChannelDelClick();
  void btn_ChannelModifyClick();
  void btn_ChannelSaveClick();

  // ---- Set-value panel (MainFormSetValue.cpp) ----
  // Read or write register 31 of the selected meter through the serial polling thread of its
  // port. The handler blocks (busy cursor) until the thread has answered, at most
  // TSetValueClient::kWaitMs; a request that no running serial thread can answer fails at once,
  // and one still unanswered at the bound is withdrawn and reported as failed.
  void btReadSVClick();
  void btSetSvClick();
  void btExitSvOpClick();

 private:
  void ConnectEditors();
  int SelectedChannel() const;
  // What a Delete that leaves the empty row selected shows: nothing. The meter editor's edits
  // empty, and with no meter the channel grid without channels and its edits empty too.
  void ClearMeterEdits();
  void ClearChannelEdits();
  // The set-value part of the meter row selection.
  void SelectSetValueTarget(int m);
  // Posts `command` (with `value` for a write) and waits for its answer; nothing when no thread
  // could answer or the request was withdrawn unanswered.
  std::optional<SetValueAnswer> RunSetValueRequest(SetValueCommand command, std::int16_t value);
  void SetMeterGridSetValueText(const QString& text);
  TSetValueClient setValue_;

 public:
  // ---- Supervision cycle and what it shows (MainFormCycle.cpp) ----
  // The timer's handler: one tick of the cycle over the meter table at the clock's time, shown
  // in the window's controls; the problems of the tick show in one error box after it. Ticks
  // wait for the end of start-up.
  void timer_PerSecondTimer();
  // The cycle and the parts it drives: the tiles, the alarm records, the alarm and SMS
  // sequences and the recorders.
  SupervisionCycle& Cycle() { return cycle_; }
  const SupervisionCycle& Cycle() const { return cycle_; }

  // ---- Alarm window and sound, SMS alarm (MainFormAlarm.cpp, MainFormSms.cpp) ----
  // Does to the alarm window and the sound what the alarm branch decided: texts and blink, then
  // the sound with the window shown, then the close that starts a silence.
  void ShowAlarm(const AlarmActions& actions);
  // Writes every key of Res\GSM_Alarm.ini from the SMS page's controls, in the file's order; a
  // PWR_CH, Delay or Reload text that is not a whole number raises there, after the keys before
  // it were written.
  void btnGSM_SetSaveClick();

  // ---- Recording periods and the alarm grid (MainFormCycle.cpp) ----
  // A new recording period: alarm grid reset, history data file and alarm list file.
  void OpenRecordingFiles();
  // The end of the period (configuration mode, closing): a last try to write the history
  // records held back by a full disk; the records lost are reported.
  void CloseRecordingPeriod();
  // Writes row r of the alarm grid (the alarm record it shows) as line r of the alarm list file;
  // a row the grid does not hold writes nothing.
  void WriteAlarmRow(int row);
  // The alarm grid's cell drawing: the text centred in the cell.
  void strgGrid_AlarmRecListDrawCell(int col, int row, const QRect& rect, QPainter& painter,
                                     const TGridDrawState& state);

  // ---- Overview tiles (MainFormCycle.cpp) ----
  // The tiles afresh from the table, shown by one canvas in scrBox_GeneralView.
  void BuildOverviewTiles();

 protected:
  void resizeEvent(QResizeEvent* event) override;  // FormResize
  void closeEvent(QCloseEvent* event) override;    // FormCloseQuery, FormClose

 private:
  bool startupFinished_ = false;
  std::string alarmSoundPath_;
  std::int32_t flowChartPointCount_ = 0;
  // The configuration controls that the modes lock and unlock, in the order both switches set
  // them; plGSM_Alarm follows them separately.
  void SetConfigurationButtonsEnabled(bool enabled);
  // The sign-in button and the SMS Save and trend controls that write at once; closing also
  // locks the configuration buttons (opening leaves them to the mode).
  void SetWritePathsEnabled(bool enabled);

  // ---- Start-up (MainFormStartup.cpp, MainFormSms.cpp) ----
  // Loads the stored configuration and shows it: the trend's colour and range; the problems
  // of the loads together in one error box, shown after the handler (for start-up: once the
  // station runs), so that it never holds back polling and recording.
  void LoadStoredConfiguration();
  // Res\GSM_Alarm.ini into the SMS page's controls, then the alarm delay from its edit, then the
  // phone list. A Delay that is not a whole number raises EConvertError after the GSM section is
  // in its controls, before the phone list is shown.
  void ReadSmsSettings();

  // ---- Supervision cycle and what it shows (MainFormCycle.cpp and the files of each step) ----
  class CycleView;  // the window as the cycle's TickView, made for each call of the cycle
  SupervisionCycle cycle_;
  // Plays the alarm sound; a child of the window, made on the first play.
  TSoundPlayer* alarmSound_ = nullptr;
  // The alarm window handed over by the program entry; null before, and once it is gone.
  QPointer<TFormAlarm> alarmWindow_;
  Reports pendingReports_;  // shown after the handler, in one error box
  // Queues problem texts for the error box, which shows once the running handler has returned
  // (never a modal box inside a tick).
  void ReportLater(std::string text);
  void ReportLater(Reports& reports);
  void ShowPendingReports();
  void ShowChangedTiles();
  void ShowAlarmRecordsSource();
  void ShowAlarmRow(int row, bool opened);
  void ShowAlarmRecordsReset();
  bool AlarmSilenceRequested() const;
  void HideAlarmWindow();
  bool SmsAlarmOn() const;
  SmsPage ReadSmsPage() const;

  void BuildTopPanel();
  void BuildMainPages();
  void BuildConfigurationPage();
  void BuildMeterGrid();
  void BuildMeterPanel();
  void BuildSetValuePanel();
  void BuildChannelArea();
  void BuildChannelPanel();
  void BuildSmsPage();
  void BuildSmsSettings();
  void BuildTrendPage();
  void BuildTrendOptions();
  void BuildAlarmRecordPage();
  void BuildHiddenPages();
  void BuildStatusBar();
};

// The system's name for its main window: set by the constructor of the one window the program
// entry creates, cleared by its destructor. Nothing of the station reaches the window through it.
extern Tfm_MainForm* fm_MainForm;
