#pragma once
// The main window's controls under their design names (object name and member alike), built once
// by the window's constructor and never rebuilt; resizing only moves and resizes them. The window
// and all of its controls belong to the GUI thread.

#include <vector>

#include "platform/ClientSocket.h"

class OverviewCanvas;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class TChart;
class TColorBox;
class TCp936Edit;
class TFrame1;
class TImage;
class TLabeledEdit;
class TPageControl;
class TPanel;
class TScrollBox;
class TStatusBar;
class TStringGrid;
class TTabSheet;
class TUpDown;

struct TMainFormControls {
  // ---- Top panel ----
  TPanel* pnl_QuickButton = nullptr;
  QPushButton* btn_Login = nullptr;
  QPushButton* btn_ModifyPassword = nullptr;
  QPushButton* btn_SignOut = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* lab_SysTime = nullptr;
  TImage* Image1 = nullptr;

  // ---- Main page control ----
  TPageControl* pgContr_MainForm = nullptr;
  TTabSheet* tabSheet_MeterInfo = nullptr;
  TTabSheet* tabSheet_GenervalView = nullptr;
  TTabSheet* TabSheet3 = nullptr;
  TTabSheet* tabSheet_RealTimeCurves = nullptr;
  TTabSheet* tabSheet_AlamRecord = nullptr;
  TTabSheet* tabSheet_Flowchart = nullptr;
  TTabSheet* tabSheet_HT_Ctrl = nullptr;

  // ---- Configuration page ----
  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet2 = nullptr;
  TPanel* pnl_MeterInfoList = nullptr;
  TStringGrid* strgGrid_MeterList = nullptr;
  TPanel* pnl_MeterAndChannelInfo = nullptr;
  QGroupBox* grupBox_MeterChannelInfo = nullptr;
  TStringGrid* strgGrid_MeterChannelList = nullptr;

  // ---- Meter panel ----
  TPanel* pnl_MeterInfo = nullptr;
  QLabel* lab_MeterName = nullptr;
  TCp936Edit* ed_MeterName = nullptr;
  QLabel* lab_MeterAddr = nullptr;
  TCp936Edit* ed_MeterAddr = nullptr;
  QLabel* lab_MeterCommStyle = nullptr;
  QComboBox* cbo_MeterCommStyle = nullptr;
  QLabel* lab_CommStartReg = nullptr;
  TCp936Edit* ed_CommStartReg = nullptr;
  QLabel* lab_MeterPreRecordTime = nullptr;
  TCp936Edit* ed_MeterPreRecordTime = nullptr;
  QLabel* lab_MeterPreRecordTimeUnit = nullptr;
  QLabel* lab_CommMod = nullptr;
  QComboBox* cbo_CommMod = nullptr;
  QLabel* lab_MeterCommSerial = nullptr;
  QComboBox* cboBox_MeterCommSerial = nullptr;
  QLabel* lab_MeterCommBaundrate = nullptr;
  QComboBox* cboBox_MeterCommBaundrate = nullptr;
  QLabel* lab_MeterIPAddr = nullptr;
  TCp936Edit* ed_MeterIPAddr = nullptr;
  QLabel* lab_Port = nullptr;
  TCp936Edit* ed_Port = nullptr;
  QPushButton* btn_MeterBatchAdd = nullptr;
  QPushButton* btn_MeterAdd = nullptr;
  QPushButton* btn_MeterDel = nullptr;
  QPushButton* btn_MeterModify = nullptr;
  QPushButton* btn_MeterSave = nullptr;

  // ---- Set-value panel (inside the meter panel, invisible) ----
  TPanel* plSV_Op = nullptr;
  TLabeledEdit* edSV = nullptr;
  QPushButton* btReadSV = nullptr;
  QPushButton* btSetSv = nullptr;
  QPushButton* btExitSvOp = nullptr;
  QLabel* lbSvOpSta = nullptr;

  // ---- Channel panel ----
  TPanel* pnl_MeterChannelInfoSet = nullptr;
  QLabel* lab_ChannelName = nullptr;
  TCp936Edit* ed_ChannelName = nullptr;
  QLabel* lab_ChannelPoin = nullptr;
  QComboBox* cboBox_ChannelPoin = nullptr;
  QLabel* lab_ChannelUnit = nullptr;
  TCp936Edit* ed_ChannelUnit = nullptr;
  QLabel* lab_ChannelColor = nullptr;
  TColorBox* colorBox_ChannelColor = nullptr;
  QLabel* lab_ChannelLLA = nullptr;
  TCp936Edit* ed_ChannelLLA = nullptr;
  QLabel* lab_ChannelLA = nullptr;
  TCp936Edit* ed_ChannelLA = nullptr;
  QLabel* lab_ChannelHA = nullptr;
  TCp936Edit* ed_ChannelHA = nullptr;
  QLabel* lab_ChannelHHA = nullptr;
  TCp936Edit* ed_ChannelHHA = nullptr;
  QPushButton* btn_ChannelAdd = nullptr;
  QPushButton* btn_ChannelDel = nullptr;
  QPushButton* btn_ChannelModify = nullptr;
  QPushButton* btn_ChannelSave = nullptr;

  // ---- SMS page ----
  TPanel* plGSM_Alarm = nullptr;
  TPanel* Panel3 = nullptr;
  TPanel* Panel4 = nullptr;
  TPanel* Panel5 = nullptr;
  QLabel* lbGSM_COM = nullptr;
  QComboBox* GSMcbbCOM = nullptr;
  QCheckBox* GSMcbAlarmEn = nullptr;
  QCheckBox* GSMcbPWR_AlarmEn = nullptr;
  QLabel* lbGSM_PWR_CH = nullptr;
  TCp936Edit* GSMedAlarmPWR_CH = nullptr;
  QLabel* Label1 = nullptr;
  TCp936Edit* GSMedAlarmDelayT = nullptr;
  QLabel* lbYSJS = nullptr;
  QLabel* Label2 = nullptr;
  TCp936Edit* GSMedAlarmReload = nullptr;
  QLabel* Label3 = nullptr;
  QPlainTextEdit* GSMmeAlarmText = nullptr;
  TStringGrid* GSM_SG_PhoneNum = nullptr;
  QPushButton* btnGSM_SetSave = nullptr;

  // ---- Overview pages ----
  TScrollBox* scrBox_GeneralView = nullptr;
  TScrollBox* ScrollBox2 = nullptr;

  // ---- Trend page ----
  TPanel* pnl_ReatTimeCurves = nullptr;
  TScrollBox* scrBox_CurvesSelectList = nullptr;
  QCheckBox* chkBox_SelectAllCurves = nullptr;
  TPanel* pnl_RealCurvesOprator = nullptr;
  QLabel* lab_CurvesBackColor = nullptr;
  TColorBox* colorBox_CurvesBackColor = nullptr;
  QLabel* lab_CurvesWidth = nullptr;
  TUpDown* upDown_CurvesWidth = nullptr;
  QLabel* lab_CurvesMix = nullptr;
  TCp936Edit* ed_CurvesMix = nullptr;
  QLabel* lab_CurvesMax = nullptr;
  TCp936Edit* ed_CurvesMax = nullptr;
  QPushButton* btn_SetCurvesRange = nullptr;
  QPushButton* btn_CurvesPrintPreview = nullptr;
  QPushButton* btn_CurvesZoomOut = nullptr;
  QPushButton* btn_CurvesZoomIn = nullptr;
  QPushButton* btn_CurvesResume = nullptr;
  TChart* chart_RealTimeCurves = nullptr;

  // ---- Alarm record page ----
  TStringGrid* strgGrid_AlarmRecList = nullptr;

  // ---- Flow-chart page (tab hidden) ----
  TScrollBox* ScrollBox1 = nullptr;
  TImage* ImFlowChart1 = nullptr;

  // ---- Temperature and humidity control page ----
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  TCp936Edit* edTH_Ctrl_T = nullptr;
  TCp936Edit* edTH_Ctrl_H = nullptr;
  QPushButton* btTempUp = nullptr;
  QPushButton* btTempDown = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* btTH_CtrlOK = nullptr;
  QPushButton* btTH_CtrlExit = nullptr;

  // ---- Status bar and components without a window ----
  TStatusBar* statusBar_MainForm = nullptr;
  // The supervision tick: precise, 1,000 ms, not started by the constructor.
  QTimer* timer_PerSecond = nullptr;
  // The Ethernet polling thread's connection (blocking client, inactive, port 0).
  TClientSocket clientSocket_MeterComm;

  // ---- Controls that the station builds as it runs ----
  // The curve check boxes, children of scrBox_CurvesSelectList's content; entry i switches
  // series i.
  std::vector<QCheckBox*> CurveCheckBoxList;
  std::vector<TFrame1*> Frame1List;  // children of ScrollBox2's content, in build order
  // The overview tiles' canvas in scrBox_GeneralView, made by the first tile build.
  OverviewCanvas* overviewCanvas = nullptr;
};
