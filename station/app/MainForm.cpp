#include "station/app/MainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>

#include "common/AppPaths.h"
#include "common/MeterRecord.h"
#include "platform/gui/Controls.h"
#include "platform/gui/AlignLayout.h"
#include "platform/gui/Captions.h"
#include "platform/gui/Chart.h"
#include "platform/gui/Colors.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/StringGrid.h"
#include "platform/gui/UpDown.h"
#include "station/app/DialogControls.h"
#include "station/comm/MeterComm.h"

Tfm_MainForm* fm_MainForm = nullptr;

namespace {

// ---- Sizes of the design ----
constexpr int kLogoWidth = 238;
constexpr int kLogoHeight = 79;
constexpr int kClockFontPixelSize = 21;
constexpr int kMeterListPanelWidth = 393;
constexpr int kMeterPanelHeight = 323;
constexpr int kChannelPanelHeight = 170;
constexpr int kTrendListPanelWidth = 329;
constexpr int kTrendOptionsHeight = 231;
constexpr int kSmsSettingsHeight = 200;
constexpr int kSmsSaveHeight = 54;
constexpr int kSmsMemoHeight = 80;
constexpr int kSmsNumberEditWidth = 80;
constexpr int kFlowChartSize = 1024;

// Meter grid: 4 columns, rows 20 high, one fixed row, 2 rows at design.
constexpr int kMeterGridWidths[] = {93, 167, 89, 64};
// Channel grid: 9 columns, rows 20 high, one fixed row, 2 rows at design.
constexpr int kChannelGridWidths[] = {96, 125, 64, 64, 64, 64, 64, 64, 64};
constexpr int kEditorGridRowHeight = 20;
constexpr int kEditorGridRows = 2;
// Alarm grid: 5 columns, rows 18 high, no fixed row or column, 1 row at design.
constexpr int kAlarmGridWidths[] = {102, 98, 63, 120, 120};
constexpr int kAlarmGridRowHeight = 18;
// Phone grid: header row and column, rows 1 to 10 for the ten numbers, columns 120 wide.
constexpr int kPhoneGridCols = 3;
constexpr int kPhoneGridRows = 11;
constexpr int kPhoneGridColWidth = 120;
// Status bar: five panels; the fifth shows the Ethernet connection texts.
const std::vector<int> kStatusPanelWidths = {380, 50, 50, 50, 50};

// Set-value panel: mostly beyond the left edge of the meter panel, invisible.
constexpr QRect kSetValuePanelRect(-207, 185, 240, 136);
constexpr int kSetValueFontPixelSize = 27;

// The trend range edits' limit.
constexpr int kRangeMaxBytes = 40;

constexpr int kCurvesWidthMin = 1;
constexpr int kCurvesWidthMax = 10;
// Top left of the "ALL" box; the per-curve boxes start below it at top 32.
constexpr QPoint kSelectAllPosition(8, 8);

constexpr int kDesignBaudIndex = 2;  // 9600

QString Utf8(const char* text) { return QString::fromUtf8(text); }

TScrollBox* NewScrollBox(const char* name, QWidget* parent) {
  return Named(new TScrollBox(parent), name);
}

TTabSheet* NewSheet(const char* name, const char* caption, TPageControl* pageControl) {
  return Named(new TTabSheet(pageControl, Utf8(caption)), name);
}

QComboBox* NewCombo(const char* name, const QStringList& items, int selected, QWidget* parent) {
  return Named(MakeListCombo(items, selected, parent), name);
}

QStringList BaudRateItems() {
  QStringList items;
  for (std::int32_t rate : BaudRateTable) items << QString::number(rate);
  return items;
}

template <std::size_t N>
TStringGrid* NewGrid(const char* name, const int (&widths)[N], int rowHeight, int rows,
                     int fixedRows, QWidget* parent) {
  auto* grid = Named(new TStringGrid(parent), name);
  grid->SetColCount(static_cast<int>(N));
  grid->SetRowCount(rows);
  grid->SetFixedCols(0);
  grid->SetFixedRows(fixedRows);
  for (std::size_t col = 0; col < N; ++col) grid->SetColWidths(static_cast<int>(col), widths[col]);
  grid->SetDefaultRowHeight(rowHeight);
  return grid;
}

// A label above its field, in one cell of a grid layout.
void AddLabeledField(QGridLayout& layout, int row, int column, QLabel* label, QWidget* field) {
  layout.addWidget(label, 2 * row, column);
  layout.addWidget(field, 2 * row + 1, column);
}

}  // namespace

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

void Tfm_MainForm::BuildTopPanel() {
  pnl_QuickButton = NewPanel("pnl_QuickButton", this);
  btn_Login = NewButton("btn_Login", "登录设备配置", pnl_QuickButton);
  btn_ModifyPassword = NewButton("btn_ModifyPassword", "修改密码", pnl_QuickButton);
  btn_ModifyPassword->setEnabled(false);
  btn_SignOut = NewButton("btn_SignOut", "退出设备配置", pnl_QuickButton);
  btn_SignOut->setEnabled(false);
  Button1 = NewButton("Button1", "查询历史曲线   ", pnl_QuickButton);
  Label8 = NewLabel("Label8", "历史数据更新至：     ", pnl_QuickButton);
  lab_SysTime = NewLabel("lab_SysTime", "时间：", pnl_QuickButton);
  lab_SysTime->setFont(PixelFont(font(), kClockFontPixelSize));
  QPalette clockColors = lab_SysTime->palette();
  clockColors.setColor(QPalette::WindowText, ToQColor(clRed));
  lab_SysTime->setPalette(clockColors);
  Image1 = Named(new TImage(pnl_QuickButton), "Image1");
  Image1->setFixedSize(kLogoWidth, kLogoHeight);

  auto* buttons = new QHBoxLayout;
  for (QWidget* control :
       std::initializer_list<QWidget*>{btn_Login, btn_ModifyPassword, btn_SignOut, Button1, Label8}) {
    buttons->addWidget(control);
  }
  buttons->addStretch();
  auto* left = new QVBoxLayout;
  left->addLayout(buttons);
  left->addWidget(lab_SysTime);
  auto* layout = new QHBoxLayout(pnl_QuickButton);
  layout->setContentsMargins(4, 1, 1, 1);
  layout->addLayout(left, 1);
  layout->addWidget(Image1, 0, Qt::AlignRight | Qt::AlignVCenter);
}

void Tfm_MainForm::BuildMainPages() {
  pgContr_MainForm = Named(new TPageControl(this), "pgContr_MainForm");
  tabSheet_MeterInfo = NewSheet("tabSheet_MeterInfo", "设置", pgContr_MainForm);
  tabSheet_GenervalView = NewSheet("tabSheet_GenervalView", "概貌显示", pgContr_MainForm);
  TabSheet3 = NewSheet("TabSheet3", "温湿度概貌", pgContr_MainForm);
  tabSheet_RealTimeCurves = NewSheet("tabSheet_RealTimeCurves", "实时曲线", pgContr_MainForm);
  tabSheet_AlamRecord = NewSheet("tabSheet_AlamRecord", "报警记录", pgContr_MainForm);
  tabSheet_Flowchart = NewSheet("tabSheet_Flowchart", "工艺图", pgContr_MainForm);
  tabSheet_HT_Ctrl = NewSheet("tabSheet_HT_Ctrl", "温湿度控制", pgContr_MainForm);

  BuildConfigurationPage();
  scrBox_GeneralView = NewScrollBox("scrBox_GeneralView", tabSheet_GenervalView);
  tabSheet_GenervalView->Docks().AddAligned(scrBox_GeneralView, TAlign::Client);
  ScrollBox2 = NewScrollBox("ScrollBox2", TabSheet3);
  TabSheet3->Docks().AddAligned(ScrollBox2, TAlign::Client);
  BuildTrendPage();
  BuildAlarmRecordPage();
  BuildHiddenPages();

  tabSheet_Flowchart->SetTabVisible(false);
  pgContr_MainForm->SetActivePage(tabSheet_GenervalView);
}

void Tfm_MainForm::BuildConfigurationPage() {
  PageControl1 = Named(new TPageControl(tabSheet_MeterInfo), "PageControl1");
  tabSheet_MeterInfo->Docks().AddAligned(PageControl1, TAlign::Client);
  TabSheet1 = NewSheet("TabSheet1", "设备配置", PageControl1);
  TabSheet2 = NewSheet("TabSheet2", "短信报警设置", PageControl1);
  PageControl1->SetActivePage(TabSheet1);

  pnl_MeterInfoList = NewPanel("pnl_MeterInfoList", TabSheet1);
  BuildMeterGrid();
  BuildMeterPanel();
  pnl_MeterInfoList->Docks().AddAligned(strgGrid_MeterList, TAlign::Client);
  pnl_MeterInfoList->Docks().AddAligned(pnl_MeterInfo, TAlign::Bottom, kMeterPanelHeight);

  pnl_MeterAndChannelInfo = NewPanel("pnl_MeterAndChannelInfo", TabSheet1);
  BuildChannelArea();
  BuildChannelPanel();
  pnl_MeterAndChannelInfo->Docks().AddAligned(grupBox_MeterChannelInfo, TAlign::Client);
  pnl_MeterAndChannelInfo->Docks().AddAligned(pnl_MeterChannelInfoSet, TAlign::Bottom,
                                              kChannelPanelHeight);

  TabSheet1->Docks().AddAligned(pnl_MeterInfoList, TAlign::Left, kMeterListPanelWidth);
  TabSheet1->Docks().AddAligned(pnl_MeterAndChannelInfo, TAlign::Client);
  BuildSmsPage();
}

void Tfm_MainForm::BuildMeterGrid() {
  strgGrid_MeterList = NewGrid("strgGrid_MeterList", kMeterGridWidths, kEditorGridRowHeight,
                               kEditorGridRows, 1, pnl_MeterInfoList);
  strgGrid_MeterList->SetRowSelect(true);
}

void Tfm_MainForm::BuildMeterPanel() {
  pnl_MeterInfo = NewPanel("pnl_MeterInfo", pnl_MeterInfoList);
  QWidget* p = pnl_MeterInfo;
  lab_MeterName = NewLabel("lab_MeterName", "设备名称", p);
  ed_MeterName = NewEdit("ed_MeterName", "设备1", kNameMaxBytes, p);
  lab_MeterAddr = NewLabel("lab_MeterAddr", "设备地址", p);
  ed_MeterAddr = NewEdit("ed_MeterAddr", "1", 0, p);
  lab_MeterCommStyle = NewLabel("lab_MeterCommStyle", "通讯代码", p);
  cbo_MeterCommStyle = NewCombo("cbo_MeterCommStyle", {"3X", "4X"}, 0, p);
  lab_CommStartReg = NewLabel("lab_CommStartReg", "起始寄存器地址", p);
  ed_CommStartReg = NewEdit("ed_CommStartReg", "0", kStartRegisterMaxBytes, p);
  lab_MeterPreRecordTime = NewLabel("lab_MeterPreRecordTime", "记录间隔", p);
  ed_MeterPreRecordTime = NewEdit("ed_MeterPreRecordTime", "1", 0, p);
  lab_MeterPreRecordTimeUnit = NewLabel("lab_MeterPreRecordTimeUnit", "秒", p);
  lab_CommMod = NewLabel("lab_CommMod", "通讯模式", p);
  cbo_CommMod = NewCombo("cbo_CommMod", {"Serial", "Ethernet"}, -1, p);
  cbo_CommMod->setPlaceholderText(Utf8("串口"));
  lab_MeterCommSerial = NewLabel("lab_MeterCommSerial", "通信串口", p);
  cboBox_MeterCommSerial = NewCombo("cboBox_MeterCommSerial", ComPortItems(), 0, p);
  lab_MeterCommBaundrate = NewLabel("lab_MeterCommBaundrate", "通信波特率", p);
  cboBox_MeterCommBaundrate =
      NewCombo("cboBox_MeterCommBaundrate", BaudRateItems(), kDesignBaudIndex, p);
  lab_MeterIPAddr = NewLabel("lab_MeterIPAddr", "设备IP地址", p);
  ed_MeterIPAddr = NewEdit("ed_MeterIPAddr", "192.168.0.101", kIpAddressMaxBytes, p);
  lab_Port = NewLabel("lab_Port", "通讯端口", p);
  ed_Port = NewEdit("ed_Port", "6000", kPortMaxBytes, p);
  btn_MeterBatchAdd = NewButton("btn_MeterBatchAdd", "批量添加设备", p);
  btn_MeterAdd = NewButton("btn_MeterAdd", "添加", p);
  btn_MeterDel = NewButton("btn_MeterDel", "删除", p);
  btn_MeterModify = NewButton("btn_MeterModify", "修改", p);
  btn_MeterSave = NewButton("btn_MeterSave", "保存", p);
  BuildSetValuePanel();

  auto* interval = new QHBoxLayout;
  interval->addWidget(ed_MeterPreRecordTime, 1);
  interval->addWidget(lab_MeterPreRecordTimeUnit);
  auto* fields = new QGridLayout;
  fields->setVerticalSpacing(1);
  AddLabeledField(*fields, 0, 0, lab_MeterName, ed_MeterName);
  AddLabeledField(*fields, 0, 1, lab_MeterAddr, ed_MeterAddr);
  AddLabeledField(*fields, 1, 0, lab_MeterCommStyle, cbo_MeterCommStyle);
  AddLabeledField(*fields, 1, 1, lab_CommStartReg, ed_CommStartReg);
  fields->addWidget(lab_MeterPreRecordTime, 4, 0);
  fields->addLayout(interval, 5, 0);
  AddLabeledField(*fields, 2, 1, lab_CommMod, cbo_CommMod);
  AddLabeledField(*fields, 3, 0, lab_MeterCommSerial, cboBox_MeterCommSerial);
  AddLabeledField(*fields, 3, 1, lab_MeterCommBaundrate, cboBox_MeterCommBaundrate);
  AddLabeledField(*fields, 4, 0, lab_MeterIPAddr, ed_MeterIPAddr);
  AddLabeledField(*fields, 4, 1, lab_Port, ed_Port);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {btn_MeterAdd, btn_MeterDel, btn_MeterModify, btn_MeterSave}) {
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(pnl_MeterInfo);
  layout->addLayout(fields);
  layout->addStretch();
  layout->addWidget(btn_MeterBatchAdd);
  layout->addLayout(buttons);
}

void Tfm_MainForm::BuildSetValuePanel() {
  plSV_Op = NewPanel("plSV_Op", pnl_MeterInfo);
  plSV_Op->setGeometry(kSetValuePanelRect);
  edSV = Named(new TLabeledEdit(plSV_Op), "edSV");
  edSV->setText(QStringLiteral("0"));
  edSV->setFont(PixelFont(font(), kSetValueFontPixelSize));
  edSV->setGeometry(8, 24, 120, 40);
  edSV->SetLabelCaption(Utf8("给定值"));
  btReadSV = NewButton("btReadSV", "读给定值", plSV_Op);
  btReadSV->setGeometry(136, 8, 96, 25);
  btSetSv = NewButton("btSetSv", "设置给定值", plSV_Op);
  btSetSv->setGeometry(136, 40, 96, 25);
  btExitSvOp = NewButton("btExitSvOp", "退出", plSV_Op);
  btExitSvOp->setGeometry(136, 72, 96, 25);
  lbSvOpSta = NewLabel("lbSvOpSta", "状态", plSV_Op);
  lbSvOpSta->setGeometry(8, 104, 224, 24);
  plSV_Op->setVisible(false);
}

void Tfm_MainForm::BuildChannelArea() {
  grupBox_MeterChannelInfo =
      Named(new QGroupBox(Utf8("设备通道信息"), pnl_MeterAndChannelInfo), "grupBox_MeterChannelInfo");
  strgGrid_MeterChannelList = NewGrid("strgGrid_MeterChannelList", kChannelGridWidths,
                                      kEditorGridRowHeight, kEditorGridRows, 1,
                                      grupBox_MeterChannelInfo);
  auto* layout = new QVBoxLayout(grupBox_MeterChannelInfo);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(strgGrid_MeterChannelList);
}

void Tfm_MainForm::BuildChannelPanel() {
  pnl_MeterChannelInfoSet = NewPanel("pnl_MeterChannelInfoSet", pnl_MeterAndChannelInfo);
  QWidget* p = pnl_MeterChannelInfoSet;
  lab_ChannelName = NewLabel("lab_ChannelName", "通道名称", p);
  ed_ChannelName = NewEdit("ed_ChannelName", "CH_1", kNameMaxBytes, p);
  lab_ChannelPoin = NewLabel("lab_ChannelPoin", "小数点位数", p);
  cboBox_ChannelPoin = NewCombo("cboBox_ChannelPoin", DecimalsItems(), 0, p);
  lab_ChannelUnit = NewLabel("lab_ChannelUnit", "通道单位", p);
  ed_ChannelUnit = NewEdit("ed_ChannelUnit", "Pa", kUnitMaxBytes, p);
  lab_ChannelColor = NewLabel("lab_ChannelColor", "通道颜色", p);
  colorBox_ChannelColor = Named(new TColorBox(p), "colorBox_ChannelColor");
  lab_ChannelLLA = NewLabel("lab_ChannelLLA", "下下限报警", p);
  ed_ChannelLLA = NewEdit("ed_ChannelLLA", "0", kLimitMaxBytes, p);
  lab_ChannelLA = NewLabel("lab_ChannelLA", "下限报警", p);
  ed_ChannelLA = NewEdit("ed_ChannelLA", "0", kLimitMaxBytes, p);
  lab_ChannelHA = NewLabel("lab_ChannelHA", "上限报警", p);
  ed_ChannelHA = NewEdit("ed_ChannelHA", "0", kLimitMaxBytes, p);
  lab_ChannelHHA = NewLabel("lab_ChannelHHA", "上上限报警", p);
  ed_ChannelHHA = NewEdit("ed_ChannelHHA", "0", kLimitMaxBytes, p);
  btn_ChannelAdd = NewButton("btn_ChannelAdd", "添加", p);
  btn_ChannelDel = NewButton("btn_ChannelDel", "删除", p);
  btn_ChannelModify = NewButton("btn_ChannelModify", "修改", p);
  btn_ChannelSave = NewButton("btn_ChannelSave", "保存", p);

  auto* layout = new QGridLayout(pnl_MeterChannelInfoSet);
  const QList<QList<QWidget*>> rows = {
      {lab_ChannelName, ed_ChannelName, lab_ChannelPoin, cboBox_ChannelPoin, lab_ChannelUnit,
       ed_ChannelUnit, lab_ChannelColor, colorBox_ChannelColor},
      {lab_ChannelLLA, ed_ChannelLLA, lab_ChannelLA, ed_ChannelLA, lab_ChannelHA, ed_ChannelHA,
       lab_ChannelHHA, ed_ChannelHHA},
      {nullptr, btn_ChannelAdd, nullptr, btn_ChannelDel, nullptr, btn_ChannelModify, nullptr,
       btn_ChannelSave},
  };
  for (int row = 0; row < rows.size(); ++row) {
    for (int column = 0; column < rows[row].size(); ++column) {
      if (QWidget* control = rows[row][column]) layout->addWidget(control, row, column);
    }
  }
  for (int column = 1; column < 8; column += 2) layout->setColumnStretch(column, 1);
}

void Tfm_MainForm::BuildSmsPage() {
  plGSM_Alarm = NewPanel("plGSM_Alarm", TabSheet2);
  TabSheet2->Docks().AddAligned(plGSM_Alarm, TAlign::Client);
  Panel3 = NewPanel("Panel3", plGSM_Alarm);
  Panel4 = NewPanel("Panel4", plGSM_Alarm);
  Panel5 = NewPanel("Panel5", plGSM_Alarm);
  BuildSmsSettings();
  GSM_SG_PhoneNum = Named(new TStringGrid(Panel4), "GSM_SG_PhoneNum");
  GSM_SG_PhoneNum->SetColCount(kPhoneGridCols);
  GSM_SG_PhoneNum->SetRowCount(kPhoneGridRows);
  GSM_SG_PhoneNum->SetDefaultColWidth(kPhoneGridColWidth);
  GSM_SG_PhoneNum->SetEditable(true);
  Panel4->Docks().AddAligned(GSM_SG_PhoneNum, TAlign::Client);
  btnGSM_SetSave = NewButton("btnGSM_SetSave", "保存设置", Panel5);
  auto* saveRow = new QHBoxLayout(Panel5);
  saveRow->addWidget(btnGSM_SetSave);
  saveRow->addStretch();

  plGSM_Alarm->Docks().AddAligned(Panel3, TAlign::Top, kSmsSettingsHeight);
  plGSM_Alarm->Docks().AddAligned(Panel5, TAlign::Bottom, kSmsSaveHeight);
  plGSM_Alarm->Docks().AddAligned(Panel4, TAlign::Client);
  // Enabled only in configuration mode.
  plGSM_Alarm->setEnabled(false);
}

void Tfm_MainForm::BuildSmsSettings() {
  QWidget* p = Panel3;
  lbGSM_COM = NewLabel("lbGSM_COM", "串口号", p);
  GSMcbbCOM = NewCombo("GSMcbbCOM", ComPortItems(), 0, p);
  GSMcbAlarmEn = Named(new QCheckBox(Utf8("启动短信报警功能"), p), "GSMcbAlarmEn");
  GSMcbPWR_AlarmEn = Named(new QCheckBox(Utf8("启动断电报警功能"), p), "GSMcbPWR_AlarmEn");
  lbGSM_PWR_CH = NewLabel("lbGSM_PWR_CH", "    电源测量通道:", p);
  GSMedAlarmPWR_CH = NewEdit("GSMedAlarmPWR_CH", "1", 0, p);
  Label1 = NewLabel("Label1", "报警延时（秒）", p);
  GSMedAlarmDelayT = NewEdit("GSMedAlarmDelayT", "30", 0, p);
  lbYSJS = NewLabel("lbYSJS", "延时计时：  ", p);
  Label2 = NewLabel("Label2", "重复报警间隔（分钟）", p);
  GSMedAlarmReload = NewEdit("GSMedAlarmReload", "5", 0, p);
  Label3 = NewLabel("Label3", "请输入短信报警内容", p);
  GSMmeAlarmText = Named(new QPlainTextEdit(Utf8("测量数据超限！"), p), "GSMmeAlarmText");
  GSMmeAlarmText->setFixedHeight(kSmsMemoHeight);
  for (QWidget* edit : {GSMedAlarmPWR_CH, GSMedAlarmDelayT, GSMedAlarmReload}) {
    edit->setFixedWidth(kSmsNumberEditWidth);
  }

  auto row = [](std::initializer_list<QWidget*> controls) {
    auto* layout = new QHBoxLayout;
    for (QWidget* control : controls) layout->addWidget(control);
    layout->addStretch();
    return layout;
  };
  auto* layout = new QVBoxLayout(Panel3);
  layout->addLayout(row({lbGSM_COM, GSMcbbCOM, GSMcbAlarmEn, GSMcbPWR_AlarmEn, lbGSM_PWR_CH,
                         GSMedAlarmPWR_CH}));
  layout->addLayout(row({Label1, GSMedAlarmDelayT, lbYSJS}));
  layout->addLayout(row({Label2, GSMedAlarmReload}));
  layout->addLayout(row({Label3}));
  layout->addStretch();
  layout->addWidget(GSMmeAlarmText);
}

void Tfm_MainForm::BuildTrendPage() {
  pnl_ReatTimeCurves = NewPanel("pnl_ReatTimeCurves", tabSheet_RealTimeCurves);
  scrBox_CurvesSelectList = NewScrollBox("scrBox_CurvesSelectList", pnl_ReatTimeCurves);
  chkBox_SelectAllCurves =
      Named(new QCheckBox(Utf8("全选"), scrBox_CurvesSelectList->Content()), "chkBox_SelectAllCurves");
  chkBox_SelectAllCurves->move(kSelectAllPosition);
  chkBox_SelectAllCurves->setChecked(true);
  BuildTrendOptions();
  pnl_ReatTimeCurves->Docks().AddAligned(scrBox_CurvesSelectList, TAlign::Client);
  pnl_ReatTimeCurves->Docks().AddAligned(pnl_RealCurvesOprator, TAlign::Bottom,
                                         kTrendOptionsHeight);

  chart_RealTimeCurves = Named(new TChart(tabSheet_RealTimeCurves), "chart_RealTimeCurves");
  chart_RealTimeCurves->SetTitle(QStringLiteral("Real Time Trend"));
  chart_RealTimeCurves->SetTitleColor(clBlue);
  chart_RealTimeCurves->SetLegendVisible(false);
  tabSheet_RealTimeCurves->Docks().AddAligned(pnl_ReatTimeCurves, TAlign::Left,
                                              kTrendListPanelWidth);
  tabSheet_RealTimeCurves->Docks().AddAligned(chart_RealTimeCurves, TAlign::Client);
}

void Tfm_MainForm::BuildTrendOptions() {
  pnl_RealCurvesOprator = NewPanel("pnl_RealCurvesOprator", pnl_ReatTimeCurves);
  QWidget* p = pnl_RealCurvesOprator;
  lab_CurvesBackColor = NewLabel("lab_CurvesBackColor", "曲线背景色", p);
  colorBox_CurvesBackColor = Named(new TColorBox(p), "colorBox_CurvesBackColor");
  lab_CurvesWidth = NewLabel("lab_CurvesWidth", "曲线宽度", p);
  upDown_CurvesWidth = Named(new TUpDown(p), "upDown_CurvesWidth");
  upDown_CurvesWidth->setRange(kCurvesWidthMin, kCurvesWidthMax);
  upDown_CurvesWidth->setValue(kCurvesWidthMin);
  lab_CurvesMix = NewLabel("lab_CurvesMix", "曲线量程下限", p);
  ed_CurvesMix = NewEdit("ed_CurvesMix", "0", kRangeMaxBytes, p);
  lab_CurvesMax = NewLabel("lab_CurvesMax", "曲线量程上限", p);
  ed_CurvesMax = NewEdit("ed_CurvesMax", "500", kRangeMaxBytes, p);
  btn_SetCurvesRange = NewButton("btn_SetCurvesRange", "设置", p);
  btn_SetCurvesRange->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
  btn_CurvesPrintPreview = NewButton("btn_CurvesPrintPreview", "打印预览", p);
  btn_CurvesZoomOut = NewButton("btn_CurvesZoomOut", "放大", p);
  btn_CurvesZoomIn = NewButton("btn_CurvesZoomIn", "缩小", p);
  btn_CurvesResume = NewButton("btn_CurvesResume", "恢复", p);

  auto* colors = new QHBoxLayout;
  colors->addWidget(lab_CurvesBackColor);
  colors->addWidget(colorBox_CurvesBackColor, 1);
  colors->addWidget(lab_CurvesWidth);
  colors->addWidget(upDown_CurvesWidth);
  auto* range = new QGridLayout;
  range->addWidget(lab_CurvesMix, 0, 0);
  range->addWidget(ed_CurvesMix, 0, 1);
  range->addWidget(lab_CurvesMax, 1, 0);
  range->addWidget(ed_CurvesMax, 1, 1);
  range->addWidget(btn_SetCurvesRange, 0, 2, 2, 1);
  range->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(pnl_RealCurvesOprator);
  layout->addLayout(colors);
  layout->addLayout(range);
  for (QPushButton* button :
       {btn_CurvesPrintPreview, btn_CurvesZoomOut, btn_CurvesZoomIn, btn_CurvesResume}) {
    layout->addWidget(button);
  }
}

void Tfm_MainForm::BuildAlarmRecordPage() {
  strgGrid_AlarmRecList = NewGrid("strgGrid_AlarmRecList", kAlarmGridWidths, kAlarmGridRowHeight,
                                  1, 0, tabSheet_AlamRecord);
  tabSheet_AlamRecord->Docks().AddAligned(strgGrid_AlarmRecList, TAlign::Client);
}

void Tfm_MainForm::BuildHiddenPages() {
  ScrollBox1 = NewScrollBox("ScrollBox1", tabSheet_Flowchart);
  tabSheet_Flowchart->Docks().AddAligned(ScrollBox1, TAlign::Client);
  ImFlowChart1 = Named(new TImage(ScrollBox1->Content()), "ImFlowChart1");
  ImFlowChart1->setGeometry(0, 0, kFlowChartSize, kFlowChartSize);

  QWidget* p = tabSheet_HT_Ctrl;
  Label4 = NewLabel("Label4", "温度控制", p);
  edTH_Ctrl_T = NewEdit("edTH_Ctrl_T", "edTH_Ctrl_T", 0, p);
  Label6 = NewLabel("Label6", "℃", p);
  btTempUp = NewButton("btTempUp", "温度增加", p);
  btTempDown = NewButton("btTempDown", "温度降低", p);
  Label5 = NewLabel("Label5", "湿度控制", p);
  edTH_Ctrl_H = NewEdit("edTH_Ctrl_H", "edTH_Ctrl_H", 0, p);
  Label7 = NewLabel("Label7", "%", p);
  Button2 = NewButton("Button2", "湿度增加", p);
  Button3 = NewButton("Button3", "湿度降低", p);
  btTH_CtrlOK = NewButton("btTH_CtrlOK", "确定", p);
  btTH_CtrlExit = NewButton("btTH_CtrlExit", "退出闭环控制", p);

  auto* layout = new QGridLayout(tabSheet_HT_Ctrl);
  const QList<QList<QWidget*>> rows = {
      {Label4, edTH_Ctrl_T, Label6, btTempUp, btTempDown},
      {Label5, edTH_Ctrl_H, Label7, Button2, Button3},
      {btTH_CtrlOK, btTH_CtrlExit},
  };
  for (int row = 0; row < rows.size(); ++row) {
    for (int column = 0; column < rows[row].size(); ++column) {
      layout->addWidget(rows[row][column], row, column);
    }
  }
  layout->setRowStretch(static_cast<int>(rows.size()), 1);
  layout->setColumnStretch(5, 1);
}

void Tfm_MainForm::BuildStatusBar() {
  statusBar_MainForm = Named(new TStatusBar(this), "statusBar_MainForm");
  statusBar_MainForm->SetPanelWidths(kStatusPanelWidths);
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
