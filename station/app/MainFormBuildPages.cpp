#include "station/app/MainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/gui/Chart.h"
#include "platform/gui/Colors.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/StringGrid.h"
#include "platform/gui/UpDown.h"
#include "station/app/DialogControls.h"
#include "station/app/MainFormDesign.h"

// The SMS, trend, alarm record and hidden pages and the status bar, built once by the
// constructor.

using namespace main_window_design;

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
  AddGridRows(*layout, rows);
  layout->setRowStretch(static_cast<int>(rows.size()), 1);
  layout->setColumnStretch(5, 1);
}

void Tfm_MainForm::BuildStatusBar() {
  statusBar_MainForm = Named(new TStatusBar(this), "statusBar_MainForm");
  statusBar_MainForm->SetPanelWidths(kStatusPanelWidths);
}
