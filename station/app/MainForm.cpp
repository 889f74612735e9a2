#include "station/app/MainForm.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "common/AppPaths.h"
#include "platform/gui/AlignLayout.h"
#include "platform/gui/Captions.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/StringGrid.h"
#include "station/app/MainFormDesign.h"

Tfm_MainForm* fm_MainForm = nullptr;

using namespace main_window_design;

Tfm_MainForm::Tfm_MainForm(QWidget* parent)
    : QWidget(parent), config_([] { return AppPath("\\Config.dat"); }) {
  fm_MainForm = this;
  setObjectName(QStringLiteral("fm_MainForm"));
  setWindowTitle(QStringLiteral("Velm"));
  setFont(DesignFont(kFontPixelSize));
  resize(kDesignWidth, kDesignHeight);
  // Centred on the desktop: where the window returns to when it is restored from maximised.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  BuildTopPanel();
  BuildMainPages();
  BuildStatusBar();

  auto* docks = new TAlignLayout(this);
  docks->AddAligned(pnl_QuickButton, TAlign::Top, kQuickButtonPanelHeight);
  docks->AddAligned(statusBar_MainForm, TAlign::Bottom);
  docks->AddAligned(pgContr_MainForm, TAlign::Client);

  timer_PerSecond = Named(new QTimer(this), "timer_PerSecond");
  timer_PerSecond->setTimerType(Qt::PreciseTimer);
  timer_PerSecond->setInterval(kTimerIntervalMs);
  connect(timer_PerSecond, &QTimer::timeout, this, Guarded([this] { timer_PerSecondTimer(); }));

  // Mode buttons and the Ethernet thread's socket events.
  connect(btn_Login, &QPushButton::clicked, this, Guarded([this] { btn_LoginClick(); }));
  connect(btn_SignOut, &QPushButton::clicked, this, Guarded([this] { btn_SignOutClick(); }));
  connect(btn_ModifyPassword, &QPushButton::clicked, this,
          Guarded([this] { btn_ModifyPasswordClick(); }));
  clientSocket_MeterComm.OnConnect = [this](TClientSocket& socket) {
    clientSocket_MeterCommConnect(socket);
  };
  clientSocket_MeterComm.OnError = [this](TClientSocket& socket, int& errorCode) {
    clientSocket_MeterCommError(socket, errorCode);
  };
  // Meter and channel editors, batch add and set-value panel.
  ConnectEditors();
  // Trend page options, hidden pages and the history launcher.
  ConnectTrend();
  ConnectHiddenPages();
  // Alarm grid drawing and the SMS page's Save button.
  strgGrid_AlarmRecList->OnDrawCell = [this](int col, int row, const QRect& rect,
                                             QPainter& painter, const TGridDrawState& state) {
    strgGrid_AlarmRecListDrawCell(col, row, rect, painter, state);
  };
  ShowAlarmRecordsSource();
  connect(btnGSM_SetSave, &QPushButton::clicked, this,
          Guarded([this] { btnGSM_SetSaveClick(); }));
}

Tfm_MainForm::~Tfm_MainForm() {
  // The polling threads use the meter table, the socket and the status bar: they end before
  // any of these goes.
  timer_PerSecond->stop();
  StopPolling();
  if (fm_MainForm == this) fm_MainForm = nullptr;
}

void Tfm_MainForm::SetEnglishTexts() {
  struct EnglishText {
    QWidget* control;
    const char* text;
  };
  const EnglishText texts[] = {
      // Top panel.
      {btn_Login, "Sign in Configuration"},
      {btn_ModifyPassword, "Password Setting"},
      {btn_SignOut, "Exit Configuration"},
      {lab_SysTime, "Time :"},
      // Tabs that show.
      {tabSheet_MeterInfo, "System Configuration"},
      {tabSheet_GenervalView, "Overview"},
      {tabSheet_RealTimeCurves, "Real Time Trend"},
      {tabSheet_AlamRecord, "Alarm Record"},
      {TabSheet1, "Slaves Configuration"},
      {TabSheet2, "SMS Alarm Configuration"},
      // Meter panel.
      {lab_MeterName, "Slave Name"},
      {lab_MeterAddr, "Slave Address"},
      {lab_MeterCommStyle, "Comm. Code"},
      {lab_CommStartReg, "Start Register"},
      {lab_MeterPreRecordTime, "Rec-Interval Time"},
      {lab_MeterPreRecordTimeUnit, "Sec"},
      {lab_CommMod, "Comm. Mode "},
      {lab_MeterCommSerial, "Serial No."},
      {lab_MeterCommBaundrate, "Baud Rate"},
      {lab_MeterIPAddr, "Slave IP Address"},
      {lab_Port, "Port"},
      {btn_MeterBatchAdd, "Configuration In Bulk"},
      {btn_MeterAdd, "Add"},
      {btn_MeterDel, "Delete"},
      {btn_MeterModify, "Modify"},
      {btn_MeterSave, "Save"},
      // Channel panel.
      {lab_ChannelName, "     Name"},
      {lab_ChannelPoin, "Decimal"},
      {lab_ChannelUnit, "     Unit"},
      {lab_ChannelColor, "     Color"},
      {lab_ChannelLLA, "LLA Value"},
      {lab_ChannelLA, "LA Value"},
      {lab_ChannelHA, "HA Value"},
      {lab_ChannelHHA, "HHA Value"},
      {btn_ChannelAdd, "Add"},
      {btn_ChannelDel, "Delete"},
      {btn_ChannelModify, "Modify"},
      {btn_ChannelSave, "Save"},
      // Trend page.
      {chkBox_SelectAllCurves, "ALL"},
      {lab_CurvesBackColor, "Back Color"},
      {lab_CurvesWidth, "Trend Width"},
      {lab_CurvesMix, "Trend Min. Range"},
      {lab_CurvesMax, "Trend Max. Range"},
      {btn_SetCurvesRange, "OK"},
      {btn_CurvesPrintPreview, "Print Preview"},
      {btn_CurvesZoomOut, "Zoom In"},
      {btn_CurvesZoomIn, "Zoom Out"},
      {btn_CurvesResume, "Resume"},
      // SMS page.
      {lbGSM_COM, "Serial No. "},
      {GSMcbAlarmEn, "Start-up SMS Alarm"},
      {GSMcbPWR_AlarmEn, "Start-up Power-off Alarm"},
      {lbGSM_PWR_CH, "Power Channel No.: "},
      {Label1, "Alarm Delay (Sec.)"},
      {lbYSJS, "Timing Delay:"},
      {Label2, "Repeat Alarm Time (Minute)"},
      {Label3, "Please type the SMS alarm content"},
      {btnGSM_SetSave, "Save"},
  };
  for (const EnglishText& entry : texts) SetControlText(*entry.control, Utf8(entry.text));

  const char* const phoneHeaders[] = {"Number", "Contact Name", "Mobile No."};
  for (int col = 0; col < kPhoneGridCols; ++col) {
    GSM_SG_PhoneNum->SetCells(col, 0, Utf8(phoneHeaders[col]));
  }
  for (int row = 1; row < kPhoneGridRows; ++row) {
    GSM_SG_PhoneNum->SetCells(0, row, QString::number(row));
  }
}
