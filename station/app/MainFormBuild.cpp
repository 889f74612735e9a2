#include "station/app/MainForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/gui/Colors.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/StringGrid.h"
#include "station/app/DialogControls.h"
#include "station/app/MainFormDesign.h"

// The window's top panel, its page control and the configuration page with its meter and
// channel editors, built once by the constructor.

using namespace main_window_design;

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
  AddGridRows(*layout, rows);
  for (int column = 1; column < 8; column += 2) layout->setColumnStretch(column, 1);
}
