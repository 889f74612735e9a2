#include "station/app/MainForm.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Captions.h"
#include "platform/gui/Chart.h"
#include "platform/gui/Colors.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/StatusBar.h"
#include "platform/gui/StringGrid.h"
#include "platform/gui/UpDown.h"
#include "tests/platform/gui/GuiTestApp.h"

namespace {

class MainFormTest : public GuiTest {
 protected:
  MainFormTest() : form(std::make_unique<Tfm_MainForm>()) {}

  // What start-up hides at steps 8 and 10.
  void HideAsStartUpDoes() {
    form->tabSheet_HT_Ctrl->SetTabVisible(false);
    form->TabSheet3->SetTabVisible(false);
    form->Button1->setVisible(false);
    form->Label8->setVisible(false);
  }

  void ShowAtDesignSize() {
    form->resize(Tfm_MainForm::kDesignWidth, Tfm_MainForm::kDesignHeight);
    form->show();
    QCoreApplication::processEvents();
  }

  static QString Utf8(const char* text) { return QString::fromUtf8(text); }

  std::unique_ptr<Tfm_MainForm> form;
};

// The named ancestors of a control, nearest first, joined by '/' (Qt's own inner widgets, such as
// a page control's page stack, have names beginning with "qt_" or none; they are skipped).
std::string NamedAncestors(const QWidget& control) {
  std::string chain;
  for (QWidget* parent = control.parentWidget(); parent; parent = parent->parentWidget()) {
    const QString name = parent->objectName();
    if (name.isEmpty() || name.startsWith("qt_")) continue;
    if (!chain.empty()) chain += '/';
    chain += name.toStdString();
  }
  return chain;
}

struct ExpectedControl {
  QWidget* member;
  const char* name;
  const char* kind;
  std::string ancestors;
};

std::vector<ExpectedControl> AllControls(Tfm_MainForm& f) {
  const std::string form = "fm_MainForm";
  const std::string top = "pnl_QuickButton/" + form;
  const std::string pages = "pgContr_MainForm/" + form;
  const std::string meterInfo = "tabSheet_MeterInfo/" + pages;
  const std::string config = "PageControl1/" + meterInfo;
  const std::string sheet1 = "TabSheet1/" + config;
  const std::string list = "pnl_MeterInfoList/" + sheet1;
  const std::string meter = "pnl_MeterInfo/" + list;
  const std::string setValue = "plSV_Op/" + meter;
  const std::string right = "pnl_MeterAndChannelInfo/" + sheet1;
  const std::string channel = "pnl_MeterChannelInfoSet/" + right;
  const std::string sms = "plGSM_Alarm/TabSheet2/" + config;
  const std::string trend = "tabSheet_RealTimeCurves/" + pages;
  const std::string trendLeft = "pnl_ReatTimeCurves/" + trend;
  const std::string options = "pnl_RealCurvesOprator/" + trendLeft;
  const std::string ht = "tabSheet_HT_Ctrl/" + pages;
  return {
      {f.pnl_QuickButton, "pnl_QuickButton", "TPanel", form},
      {f.btn_Login, "btn_Login", "QPushButton", top},
      {f.btn_ModifyPassword, "btn_ModifyPassword", "QPushButton", top},
      {f.btn_SignOut, "btn_SignOut", "QPushButton", top},
      {f.Button1, "Button1", "QPushButton", top},
      {f.Label8, "Label8", "QLabel", top},
      {f.lab_SysTime, "lab_SysTime", "QLabel", top},
      {f.Image1, "Image1", "TImage", top},
      {f.pgContr_MainForm, "pgContr_MainForm", "TPageControl", form},
      {f.tabSheet_MeterInfo, "tabSheet_MeterInfo", "TTabSheet", pages},
      {f.tabSheet_GenervalView, "tabSheet_GenervalView", "TTabSheet", pages},
      {f.TabSheet3, "TabSheet3", "TTabSheet", pages},
      {f.tabSheet_RealTimeCurves, "tabSheet_RealTimeCurves", "TTabSheet", pages},
      {f.tabSheet_AlamRecord, "tabSheet_AlamRecord", "TTabSheet", pages},
      {f.tabSheet_Flowchart, "tabSheet_Flowchart", "TTabSheet", pages},
      {f.tabSheet_HT_Ctrl, "tabSheet_HT_Ctrl", "TTabSheet", pages},
      {f.PageControl1, "PageControl1", "TPageControl", meterInfo},
      {f.TabSheet1, "TabSheet1", "TTabSheet", config},
      {f.TabSheet2, "TabSheet2", "TTabSheet", config},
      {f.pnl_MeterInfoList, "pnl_MeterInfoList", "TPanel", sheet1},
      {f.strgGrid_MeterList, "strgGrid_MeterList", "TStringGrid", list},
      {f.pnl_MeterInfo, "pnl_MeterInfo", "TPanel", list},
      {f.lab_MeterName, "lab_MeterName", "QLabel", meter},
      {f.ed_MeterName, "ed_MeterName", "TCp936Edit", meter},
      {f.lab_MeterAddr, "lab_MeterAddr", "QLabel", meter},
      {f.ed_MeterAddr, "ed_MeterAddr", "TCp936Edit", meter},
      {f.lab_MeterCommStyle, "lab_MeterCommStyle", "QLabel", meter},
      {f.cbo_MeterCommStyle, "cbo_MeterCommStyle", "QComboBox", meter},
      {f.lab_CommStartReg, "lab_CommStartReg", "QLabel", meter},
      {f.ed_CommStartReg, "ed_CommStartReg", "TCp936Edit", meter},
      {f.lab_MeterPreRecordTime, "lab_MeterPreRecordTime", "QLabel", meter},
      {f.ed_MeterPreRecordTime, "ed_MeterPreRecordTime", "TCp936Edit", meter},
      {f.lab_MeterPreRecordTimeUnit, "lab_MeterPreRecordTimeUnit", "QLabel", meter},
      {f.lab_CommMod, "lab_CommMod", "QLabel", meter},
      {f.cbo_CommMod, "cbo_CommMod", "QComboBox", meter},
      {f.lab_MeterCommSerial, "lab_MeterCommSerial", "QLabel", meter},
      {f.cboBox_MeterCommSerial, "cboBox_MeterCommSerial", "QComboBox", meter},
      {f.lab_MeterCommBaundrate, "lab_MeterCommBaundrate", "QLabel", meter},
      {f.cboBox_MeterCommBaundrate, "cboBox_MeterCommBaundrate", "QComboBox", meter},
      {f.lab_MeterIPAddr, "lab_MeterIPAddr", "QLabel", meter},
      {f.ed_MeterIPAddr, "ed_MeterIPAddr", "TCp936Edit", meter},
      {f.lab_Port, "lab_Port", "QLabel", meter},
      {f.ed_Port, "ed_Port", "TCp936Edit", meter},
      {f.btn_MeterBatchAdd, "btn_MeterBatchAdd", "QPushButton", meter},
      {f.btn_MeterAdd, "btn_MeterAdd", "QPushButton", meter},
      {f.btn_MeterDel, "btn_MeterDel", "QPushButton", meter},
      {f.btn_MeterModify, "btn_MeterModify", "QPushButton", meter},
      {f.btn_MeterSave, "btn_MeterSave", "QPushButton", meter},
      {f.plSV_Op, "plSV_Op", "TPanel", meter},
      {f.edSV, "edSV", "TLabeledEdit", setValue},
      {f.btReadSV, "btReadSV", "QPushButton", setValue},
      {f.btSetSv, "btSetSv", "QPushButton", setValue},
      {f.btExitSvOp, "btExitSvOp", "QPushButton", setValue},
      {f.lbSvOpSta, "lbSvOpSta", "QLabel", setValue},
      {f.pnl_MeterAndChannelInfo, "pnl_MeterAndChannelInfo", "TPanel", sheet1},
      {f.grupBox_MeterChannelInfo, "grupBox_MeterChannelInfo", "QGroupBox", right},
      {f.strgGrid_MeterChannelList, "strgGrid_MeterChannelList", "TStringGrid",
       "grupBox_MeterChannelInfo/" + right},
      {f.pnl_MeterChannelInfoSet, "pnl_MeterChannelInfoSet", "TPanel", right},
      {f.lab_ChannelName, "lab_ChannelName", "QLabel", channel},
      {f.ed_ChannelName, "ed_ChannelName", "TCp936Edit", channel},
      {f.lab_ChannelPoin, "lab_ChannelPoin", "QLabel", channel},
      {f.cboBox_ChannelPoin, "cboBox_ChannelPoin", "QComboBox", channel},
      {f.lab_ChannelUnit, "lab_ChannelUnit", "QLabel", channel},
      {f.ed_ChannelUnit, "ed_ChannelUnit", "TCp936Edit", channel},
      {f.lab_ChannelColor, "lab_ChannelColor", "QLabel", channel},
      {f.colorBox_ChannelColor, "colorBox_ChannelColor", "TColorBox", channel},
      {f.lab_ChannelLLA, "lab_ChannelLLA", "QLabel", channel},
      {f.ed_ChannelLLA, "ed_ChannelLLA", "TCp936Edit", channel},
      {f.lab_ChannelLA, "lab_ChannelLA", "QLabel", channel},
      {f.ed_ChannelLA, "ed_ChannelLA", "TCp936Edit", channel},
      {f.lab_ChannelHA, "lab_ChannelHA", "QLabel", channel},
      {f.ed_ChannelHA, "ed_ChannelHA", "TCp936Edit", channel},
      {f.lab_ChannelHHA, "lab_ChannelHHA", "QLabel", channel},
      {f.ed_ChannelHHA, "ed_ChannelHHA", "TCp936Edit", channel},
      {f.btn_ChannelAdd, "btn_ChannelAdd", "QPushButton", channel},
      {f.btn_ChannelDel, "btn_ChannelDel", "QPushButton", channel},
      {f.btn_ChannelModify, "btn_ChannelModify", "QPushButton", channel},
      {f.btn_ChannelSave, "btn_ChannelSave", "QPushButton", channel},
      {f.plGSM_Alarm, "plGSM_Alarm", "TPanel", "TabSheet2/" + config},
      {f.Panel3, "Panel3", "TPanel", sms},
      {f.Panel4, "Panel4", "TPanel", sms},
      {f.Panel5, "Panel5", "TPanel", sms},
      {f.lbGSM_COM, "lbGSM_COM", "QLabel", "Panel3/" + sms},
      {f.GSMcbbCOM, "GSMcbbCOM", "QComboBox", "Panel3/" + sms},
      {f.GSMcbAlarmEn, "GSMcbAlarmEn", "QCheckBox", "Panel3/" + sms},
      {f.GSMcbPWR_AlarmEn, "GSMcbPWR_AlarmEn", "QCheckBox", "Panel3/" + sms},
      {f.lbGSM_PWR_CH, "lbGSM_PWR_CH", "QLabel", "Panel3/" + sms},
      {f.GSMedAlarmPWR_CH, "GSMedAlarmPWR_CH", "TCp936Edit", "Panel3/" + sms},
      {f.Label1, "Label1", "QLabel", "Panel3/" + sms},
      {f.GSMedAlarmDelayT, "GSMedAlarmDelayT", "TCp936Edit", "Panel3/" + sms},
      {f.lbYSJS, "lbYSJS", "QLabel", "Panel3/" + sms},
      {f.Label2, "Label2", "QLabel", "Panel3/" + sms},
      {f.GSMedAlarmReload, "GSMedAlarmReload", "TCp936Edit", "Panel3/" + sms},
      {f.Label3, "Label3", "QLabel", "Panel3/" + sms},
      {f.GSMmeAlarmText, "GSMmeAlarmText", "QPlainTextEdit", "Panel3/" + sms},
      {f.GSM_SG_PhoneNum, "GSM_SG_PhoneNum", "TStringGrid", "Panel4/" + sms},
      {f.btnGSM_SetSave, "btnGSM_SetSave", "QPushButton", "Panel5/" + sms},
      {f.scrBox_GeneralView, "scrBox_GeneralView", "TScrollBox", "tabSheet_GenervalView/" + pages},
      {f.ScrollBox2, "ScrollBox2", "TScrollBox", "TabSheet3/" + pages},
      {f.pnl_ReatTimeCurves, "pnl_ReatTimeCurves", "TPanel", trend},
      {f.scrBox_CurvesSelectList, "scrBox_CurvesSelectList", "TScrollBox", trendLeft},
      {f.chkBox_SelectAllCurves, "chkBox_SelectAllCurves", "QCheckBox",
       "scrBox_CurvesSelectList/" + trendLeft},
      {f.pnl_RealCurvesOprator, "pnl_RealCurvesOprator", "TPanel", trendLeft},
      {f.lab_CurvesBackColor, "lab_CurvesBackColor", "QLabel", options},
      {f.colorBox_CurvesBackColor, "colorBox_CurvesBackColor", "TColorBox", options},
      {f.lab_CurvesWidth, "lab_CurvesWidth", "QLabel", options},
      {f.upDown_CurvesWidth, "upDown_CurvesWidth", "QSpinBox", options},
      {f.lab_CurvesMix, "lab_CurvesMix", "QLabel", options},
      {f.ed_CurvesMix, "ed_CurvesMix", "TCp936Edit", options},
      {f.lab_CurvesMax, "lab_CurvesMax", "QLabel", options},
      {f.ed_CurvesMax, "ed_CurvesMax", "TCp936Edit", options},
      {f.btn_SetCurvesRange, "btn_SetCurvesRange", "QPushButton", options},
      {f.btn_CurvesPrintPreview, "btn_CurvesPrintPreview", "QPushButton", options},
      {f.btn_CurvesZoomOut, "btn_CurvesZoomOut", "QPushButton", options},
      {f.btn_CurvesZoomIn, "btn_CurvesZoomIn", "QPushButton", options},
      {f.btn_CurvesResume, "btn_CurvesResume", "QPushButton", options},
      {f.chart_RealTimeCurves, "chart_RealTimeCurves", "TChart", trend},
      {f.strgGrid_AlarmRecList, "strgGrid_AlarmRecList", "TStringGrid",
       "tabSheet_AlamRecord/" + pages},
      {f.ScrollBox1, "ScrollBox1", "TScrollBox", "tabSheet_Flowchart/" + pages},
      {f.ImFlowChart1, "ImFlowChart1", "TImage", "ScrollBox1/tabSheet_Flowchart/" + pages},
      {f.Label4, "Label4", "QLabel", ht},
      {f.Label5, "Label5", "QLabel", ht},
      {f.Label6, "Label6", "QLabel", ht},
      {f.Label7, "Label7", "QLabel", ht},
      {f.edTH_Ctrl_T, "edTH_Ctrl_T", "TCp936Edit", ht},
      {f.edTH_Ctrl_H, "edTH_Ctrl_H", "TCp936Edit", ht},
      {f.btTempUp, "btTempUp", "QPushButton", ht},
      {f.btTempDown, "btTempDown", "QPushButton", ht},
      {f.Button2, "Button2", "QPushButton", ht},
      {f.Button3, "Button3", "QPushButton", ht},
      {f.btTH_CtrlOK, "btTH_CtrlOK", "QPushButton", ht},
      {f.btTH_CtrlExit, "btTH_CtrlExit", "QPushButton", ht},
      {f.statusBar_MainForm, "statusBar_MainForm", "TStatusBar", form},
  };
}

TEST_F(MainFormTest, EveryControlExistsOnceWithItsKindAndContainment) {
  for (const ExpectedControl& want : AllControls(*form)) {
    SCOPED_TRACE(want.name);
    ASSERT_NE(want.member, nullptr);
    EXPECT_EQ(want.member->objectName(), want.name);
    EXPECT_STREQ(want.member->metaObject()->className(), want.kind);
    EXPECT_EQ(NamedAncestors(*want.member), want.ancestors);
    EXPECT_EQ(form->findChildren<QWidget*>(want.name).size(), 1);
  }
}

struct ExpectedText {
  QWidget* control;
  const char* design;
  const char* english;  // nullptr: start-up leaves the design text
};

std::vector<ExpectedText> AllTexts(Tfm_MainForm& f) {
  return {
      {f.btn_Login, "登录设备配置", "Sign in Configuration"},
      {f.btn_ModifyPassword, "修改密码", "Password Setting"},
      {f.btn_SignOut, "退出设备配置", "Exit Configuration"},
      {f.Button1, "查询历史曲线   ", nullptr},
      {f.Label8, "历史数据更新至：     ", nullptr},
      {f.lab_SysTime, "时间：", "Time :"},
      {f.tabSheet_MeterInfo, "设置", "System Configuration"},
      {f.tabSheet_GenervalView, "概貌显示", "Overview"},
      {f.TabSheet3, "温湿度概貌", nullptr},
      {f.tabSheet_RealTimeCurves, "实时曲线", "Real Time Trend"},
      {f.tabSheet_AlamRecord, "报警记录", "Alarm Record"},
      {f.tabSheet_Flowchart, "工艺图", nullptr},
      {f.tabSheet_HT_Ctrl, "温湿度控制", nullptr},
      {f.TabSheet1, "设备配置", "Slaves Configuration"},
      {f.TabSheet2, "短信报警设置", "SMS Alarm Configuration"},
      {f.grupBox_MeterChannelInfo, "设备通道信息", nullptr},
      {f.lab_MeterName, "设备名称", "Slave Name"},
      {f.ed_MeterName, "设备1", nullptr},
      {f.lab_MeterAddr, "设备地址", "Slave Address"},
      {f.ed_MeterAddr, "1", nullptr},
      {f.lab_MeterCommStyle, "通讯代码", "Comm. Code"},
      {f.cbo_MeterCommStyle, "3X", nullptr},
      {f.lab_CommStartReg, "起始寄存器地址", "Start Register"},
      {f.ed_CommStartReg, "0", nullptr},
      {f.lab_MeterPreRecordTime, "记录间隔", "Rec-Interval Time"},
      {f.ed_MeterPreRecordTime, "1", nullptr},
      {f.lab_MeterPreRecordTimeUnit, "秒", "Sec"},
      {f.lab_CommMod, "通讯模式", "Comm. Mode "},
      {f.cbo_CommMod, "串口", nullptr},
      {f.lab_MeterCommSerial, "通信串口", "Serial No."},
      {f.cboBox_MeterCommSerial, "COM1", nullptr},
      {f.lab_MeterCommBaundrate, "通信波特率", "Baud Rate"},
      {f.cboBox_MeterCommBaundrate, "9600", nullptr},
      {f.lab_MeterIPAddr, "设备IP地址", "Slave IP Address"},
      {f.ed_MeterIPAddr, "192.168.0.101", nullptr},
      {f.lab_Port, "通讯端口", "Port"},
      {f.ed_Port, "6000", nullptr},
      {f.btn_MeterBatchAdd, "批量添加设备", "Configuration In Bulk"},
      {f.btn_MeterAdd, "添加", "Add"},
      {f.btn_MeterDel, "删除", "Delete"},
      {f.btn_MeterModify, "修改", "Modify"},
      {f.btn_MeterSave, "保存", "Save"},
      {f.edSV, "0", nullptr},
      {f.btReadSV, "读给定值", nullptr},
      {f.btSetSv, "设置给定值", nullptr},
      {f.btExitSvOp, "退出", nullptr},
      {f.lbSvOpSta, "状态", nullptr},
      {f.lab_ChannelName, "通道名称", "     Name"},
      {f.ed_ChannelName, "CH_1", nullptr},
      {f.lab_ChannelPoin, "小数点位数", "Decimal"},
      {f.cboBox_ChannelPoin, "0", nullptr},
      {f.lab_ChannelUnit, "通道单位", "     Unit"},
      {f.ed_ChannelUnit, "Pa", nullptr},
      {f.lab_ChannelColor, "通道颜色", "     Color"},
      {f.lab_ChannelLLA, "下下限报警", "LLA Value"},
      {f.ed_ChannelLLA, "0", nullptr},
      {f.lab_ChannelLA, "下限报警", "LA Value"},
      {f.ed_ChannelLA, "0", nullptr},
      {f.lab_ChannelHA, "上限报警", "HA Value"},
      {f.ed_ChannelHA, "0", nullptr},
      {f.lab_ChannelHHA, "上上限报警", "HHA Value"},
      {f.ed_ChannelHHA, "0", nullptr},
      {f.btn_ChannelAdd, "添加", "Add"},
      {f.btn_ChannelDel, "删除", "Delete"},
      {f.btn_ChannelModify, "修改", "Modify"},
      {f.btn_ChannelSave, "保存", "Save"},
      {f.chkBox_SelectAllCurves, "全选", "ALL"},
      {f.lab_CurvesBackColor, "曲线背景色", "Back Color"},
      {f.lab_CurvesWidth, "曲线宽度", "Trend Width"},
      {f.lab_CurvesMix, "曲线量程下限", "Trend Min. Range"},
      {f.ed_CurvesMix, "0", nullptr},
      {f.lab_CurvesMax, "曲线量程上限", "Trend Max. Range"},
      {f.ed_CurvesMax, "500", nullptr},
      {f.btn_SetCurvesRange, "设置", "OK"},
      {f.btn_CurvesPrintPreview, "打印预览", "Print Preview"},
      {f.btn_CurvesZoomOut, "放大", "Zoom In"},
      {f.btn_CurvesZoomIn, "缩小", "Zoom Out"},
      {f.btn_CurvesResume, "恢复", "Resume"},
      {f.lbGSM_COM, "串口号", "Serial No. "},
      {f.GSMcbbCOM, "COM1", nullptr},
      {f.GSMcbAlarmEn, "启动短信报警功能", "Start-up SMS Alarm"},
      {f.GSMcbPWR_AlarmEn, "启动断电报警功能", "Start-up Power-off Alarm"},
      {f.lbGSM_PWR_CH, "    电源测量通道:", "Power Channel No.: "},
      {f.GSMedAlarmPWR_CH, "1", nullptr},
      {f.Label1, "报警延时（秒）", "Alarm Delay (Sec.)"},
      {f.GSMedAlarmDelayT, "30", nullptr},
      {f.lbYSJS, "延时计时：  ", "Timing Delay:"},
      {f.Label2, "重复报警间隔（分钟）", "Repeat Alarm Time (Minute)"},
      {f.GSMedAlarmReload, "5", nullptr},
      {f.Label3, "请输入短信报警内容", "Please type the SMS alarm content"},
      {f.GSMmeAlarmText, "测量数据超限！", nullptr},
      {f.btnGSM_SetSave, "保存设置", "Save"},
      {f.Label4, "温度控制", nullptr},
      {f.Label5, "湿度控制", nullptr},
      {f.Label6, "℃", nullptr},
      {f.Label7, "%", nullptr},
      {f.edTH_Ctrl_T, "edTH_Ctrl_T", nullptr},
      {f.edTH_Ctrl_H, "edTH_Ctrl_H", nullptr},
      {f.btTempUp, "温度增加", nullptr},
      {f.btTempDown, "温度降低", nullptr},
      {f.Button2, "湿度增加", nullptr},
      {f.Button3, "湿度降低", nullptr},
      {f.btTH_CtrlOK, "确定", nullptr},
      {f.btTH_CtrlExit, "退出闭环控制", nullptr},
  };
}

TEST_F(MainFormTest, DesignTextsBeforeStartUp) {
  EXPECT_EQ(form->windowTitle(), "Velm");
  for (const ExpectedText& want : AllTexts(*form)) {
    SCOPED_TRACE(want.control->objectName().toStdString());
    EXPECT_EQ(ControlText(*want.control), Utf8(want.design));
  }
  EXPECT_EQ(form->edSV->EditLabel()->text(), Utf8("给定值"));
  EXPECT_EQ(form->GSM_SG_PhoneNum->Cells(1, 0), "");
}

TEST_F(MainFormTest, EnglishTextsReplaceExactlyTheTextsStartUpReplaces) {
  form->SetEnglishTexts();
  for (const ExpectedText& want : AllTexts(*form)) {
    SCOPED_TRACE(want.control->objectName().toStdString());
    EXPECT_EQ(ControlText(*want.control), Utf8(want.english ? want.english : want.design));
  }
  // The blanks are part of the texts.
  EXPECT_EQ(ControlText(*form->lab_CommMod), "Comm. Mode ");
  EXPECT_EQ(ControlText(*form->lab_ChannelName), "     Name");
  EXPECT_EQ(ControlText(*form->lbGSM_COM), "Serial No. ");
  EXPECT_EQ(ControlText(*form->lbGSM_PWR_CH), "Power Channel No.: ");
}

TEST_F(MainFormTest, PhoneGridGetsItsHeaderAndRowNumbersWhateverItHeld) {
  TStringGrid& grid = *form->GSM_SG_PhoneNum;
  grid.SetCells(0, 3, "x");
  grid.SetCells(2, 3, "13800138000");
  form->SetEnglishTexts();
  EXPECT_EQ(grid.Cells(0, 0), "Number");
  EXPECT_EQ(grid.Cells(1, 0), "Contact Name");
  EXPECT_EQ(grid.Cells(2, 0), "Mobile No.");
  for (int row = 1; row <= 10; ++row) EXPECT_EQ(grid.Cells(0, row), QString::number(row));
  EXPECT_EQ(grid.Cells(2, 3), "13800138000");
}

TEST_F(MainFormTest, TabsAfterStartUpHidingAndTheActivePages) {
  // The design already hides the flow-chart tab and shows the Overview page.
  EXPECT_FALSE(form->tabSheet_Flowchart->TabVisible());
  EXPECT_EQ(form->pgContr_MainForm->ActivePage(), form->tabSheet_GenervalView);
  EXPECT_EQ(form->pgContr_MainForm->PageCount(), 7);
  form->SetEnglishTexts();
  HideAsStartUpDoes();
  EXPECT_EQ(form->pgContr_MainForm->VisibleTabCaptions(),
            (QStringList{"System Configuration", "Overview", "Real Time Trend", "Alarm Record"}));
  EXPECT_EQ(form->pgContr_MainForm->ActivePage(), form->tabSheet_GenervalView);
  EXPECT_EQ(form->PageControl1->VisibleTabCaptions(),
            (QStringList{"Slaves Configuration", "SMS Alarm Configuration"}));
  EXPECT_EQ(form->PageControl1->ActivePage(), form->TabSheet1);
}

TEST_F(MainFormTest, PagesAreInDesignOrder) {
  const TTabSheet* order[] = {form->tabSheet_MeterInfo,      form->tabSheet_GenervalView,
                              form->TabSheet3,               form->tabSheet_RealTimeCurves,
                              form->tabSheet_AlamRecord,     form->tabSheet_Flowchart,
                              form->tabSheet_HT_Ctrl};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(form->pgContr_MainForm->Pages(i), order[i]);
}

struct ExpectedGrid {
  TStringGrid* grid;
  std::vector<int> widths;
  int rowHeight;
  int rows;
  int fixedRows;
  int fixedCols;
  bool editable;
};

TEST_F(MainFormTest, GridsHaveTheirDesignShape) {
  const ExpectedGrid grids[] = {
      {form->strgGrid_MeterList, {93, 167, 89, 64}, 20, 2, 1, 0, false},
      {form->strgGrid_MeterChannelList, {96, 125, 64, 64, 64, 64, 64, 64, 64}, 20, 2, 1, 0, false},
      {form->strgGrid_AlarmRecList, {102, 98, 63, 120, 120}, 18, 1, 0, 0, false},
      {form->GSM_SG_PhoneNum, {120, 120, 120}, TStringGrid::kDefaultRowHeight, 11, 1, 1, true},
  };
  for (const ExpectedGrid& want : grids) {
    SCOPED_TRACE(want.grid->objectName().toStdString());
    ASSERT_EQ(want.grid->ColCount(), static_cast<int>(want.widths.size()));
    for (int col = 0; col < want.grid->ColCount(); ++col) {
      EXPECT_EQ(want.grid->ColWidths(col), want.widths[col]);
    }
    EXPECT_EQ(want.grid->DefaultRowHeight(), want.rowHeight);
    EXPECT_EQ(want.grid->RowCount(), want.rows);
    EXPECT_EQ(want.grid->FixedRows(), want.fixedRows);
    EXPECT_EQ(want.grid->FixedCols(), want.fixedCols);
    EXPECT_EQ(want.grid->Editable(), want.editable);
    for (int row = 0; row < want.grid->RowCount(); ++row) {
      for (int col = 0; col < want.grid->ColCount(); ++col) EXPECT_EQ(want.grid->Cells(col, row), "");
    }
  }
}

TEST_F(MainFormTest, StatusBarHasFiveEmptyPanels) {
  TStatusBar& bar = *form->statusBar_MainForm;
  ASSERT_EQ(bar.PanelCount(), 5);
  const int widths[] = {380, 50, 50, 50, 50};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(bar.PanelWidth(i), widths[i]);
    EXPECT_EQ(bar.PanelText(i), "");
  }
  form->SetEnglishTexts();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(bar.PanelText(i), "");
}

TEST_F(MainFormTest, InitialStatesOfTheControls) {
  EXPECT_TRUE(form->btn_Login->isEnabled());
  EXPECT_FALSE(form->btn_ModifyPassword->isEnabled());
  EXPECT_FALSE(form->btn_SignOut->isEnabled());
  EXPECT_FALSE(form->plGSM_Alarm->isEnabled());
  EXPECT_TRUE(form->plSV_Op->isHidden());
  EXPECT_EQ(form->plSV_Op->geometry(), QRect(-207, 185, 240, 136));
  EXPECT_TRUE(form->chkBox_SelectAllCurves->isChecked());
  EXPECT_FALSE(form->GSMcbAlarmEn->isChecked());
  EXPECT_FALSE(form->GSMcbPWR_AlarmEn->isChecked());
  EXPECT_EQ(form->upDown_CurvesWidth->minimum(), 1);
  EXPECT_EQ(form->upDown_CurvesWidth->maximum(), 10);
  EXPECT_EQ(form->upDown_CurvesWidth->value(), 1);
  EXPECT_FALSE(form->upDown_CurvesWidth->wrapping());
  EXPECT_EQ(form->GSMmeAlarmText->height(), 80);
  EXPECT_EQ(form->lab_SysTime->font().pixelSize(), 21);
  EXPECT_EQ(form->lab_SysTime->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_EQ(form->edSV->font().pixelSize(), 27);
  EXPECT_EQ(form->font().pixelSize(), Tfm_MainForm::kFontPixelSize);
  EXPECT_EQ(form->chart_RealTimeCurves->Title(), "Real Time Trend");
  EXPECT_EQ(form->chart_RealTimeCurves->TitleColor(), clBlue);
  EXPECT_EQ(form->chart_RealTimeCurves->SeriesCount(), 0);
  EXPECT_FALSE(form->clientSocket_MeterComm.Active());
  EXPECT_EQ(form->clientSocket_MeterComm.Port, 0);
}

struct ExpectedCombo {
  QComboBox* combo;
  int count;
  int selected;
  const char* first;
  const char* last;
};

TEST_F(MainFormTest, CombosAreFixedListsWithTheirDesignSelection) {
  const ExpectedCombo combos[] = {
      {form->cbo_MeterCommStyle, 2, 0, "3X", "4X"},
      {form->cbo_CommMod, 2, -1, "Serial", "Ethernet"},
      {form->cboBox_MeterCommSerial, 40, 0, "COM1", "COM40"},
      {form->cboBox_MeterCommBaundrate, 8, 2, "2400", "115200"},
      {form->cboBox_ChannelPoin, 5, 0, "0", "4"},
      {form->GSMcbbCOM, 40, 0, "COM1", "COM40"},
  };
  for (const ExpectedCombo& want : combos) {
    SCOPED_TRACE(want.combo->objectName().toStdString());
    EXPECT_FALSE(want.combo->isEditable());
    EXPECT_EQ(want.combo->count(), want.count);
    EXPECT_EQ(ComboItemIndex(*want.combo), want.selected);
    EXPECT_EQ(want.combo->itemText(0), want.first);
    EXPECT_EQ(want.combo->itemText(want.count - 1), want.last);
  }
  const char* const rates[] = {"2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(form->cboBox_MeterCommBaundrate->itemText(i), rates[i]);
}

TEST_F(MainFormTest, EditsLimitTheirTextsToTheRecordFields) {
  const std::pair<TCp936Edit*, int> limits[] = {
      {form->ed_MeterName, 39},   {form->ed_CommStartReg, 5},  {form->ed_MeterIPAddr, 15},
      {form->ed_Port, 39},        {form->ed_ChannelName, 39},  {form->ed_ChannelUnit, 19},
      {form->ed_ChannelLLA, 10},  {form->ed_ChannelLA, 10},    {form->ed_ChannelHA, 10},
      {form->ed_ChannelHHA, 10},  {form->ed_CurvesMix, 40},    {form->ed_CurvesMax, 40},
      {form->ed_MeterAddr, 0},    {form->ed_MeterPreRecordTime, 0},
  };
  for (const auto& [edit, maxBytes] : limits) {
    SCOPED_TRACE(edit->objectName().toStdString());
    EXPECT_EQ(edit->MaxBytes(), maxBytes);
  }
}

TEST_F(MainFormTest, TimerIsPreciseOneSecondAndNotStarted) {
  ASSERT_NE(form->timer_PerSecond, nullptr);
  EXPECT_EQ(form->timer_PerSecond->interval(), 1000);
  EXPECT_EQ(form->timer_PerSecond->timerType(), Qt::PreciseTimer);
  EXPECT_FALSE(form->timer_PerSecond->isActive());
  ShowAtDesignSize();
  EXPECT_FALSE(form->timer_PerSecond->isActive());
}

TEST_F(MainFormTest, WindowHasItsDesignSizeCentredOnTheDesktop) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(form->size(), QSize(1034, 679));
  EXPECT_EQ(form->geometry().center(), screen->availableGeometry().center());
}

TEST_F(MainFormTest, GlobalReferenceFollowsTheWindow) {
  EXPECT_EQ(fm_MainForm, form.get());
  form.reset();
  EXPECT_EQ(fm_MainForm, nullptr);
}

TEST_F(MainFormTest, DockedAreasKeepTheirDesignSizes) {
  HideAsStartUpDoes();
  ShowAtDesignSize();
  EXPECT_EQ(form->pnl_QuickButton->geometry(), QRect(0, 0, 1034, 81));
  EXPECT_EQ(form->statusBar_MainForm->geometry().bottom(), 678);
  EXPECT_EQ(form->pgContr_MainForm->geometry().top(), 81);
  EXPECT_EQ(form->pgContr_MainForm->geometry().bottom() + 1,
            form->statusBar_MainForm->geometry().top());
  EXPECT_EQ(form->Image1->size(), QSize(238, 79));
  EXPECT_GE(form->Image1->geometry().right(), 1034 - 4);
  // The configuration page shows first when its tab is chosen.
  form->pgContr_MainForm->SetActivePage(form->tabSheet_MeterInfo);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->pnl_MeterInfoList->width(), 393);
  EXPECT_EQ(form->pnl_MeterInfo->height(), 323);
  EXPECT_EQ(form->pnl_MeterInfo->geometry().bottom(),
            form->pnl_MeterInfoList->contentsRect().bottom());
  EXPECT_EQ(form->pnl_MeterChannelInfoSet->height(), 170);
  EXPECT_EQ(form->pnl_MeterAndChannelInfo->x(), 393);
  form->pgContr_MainForm->SetActivePage(form->tabSheet_RealTimeCurves);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->pnl_ReatTimeCurves->width(), 329);
  EXPECT_EQ(form->pnl_RealCurvesOprator->height(), 231);
  EXPECT_EQ(form->chart_RealTimeCurves->x(), 329);
  form->pgContr_MainForm->SetActivePage(form->tabSheet_MeterInfo);
  form->PageControl1->SetActivePage(form->TabSheet2);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->Panel3->height(), 200);
  EXPECT_EQ(form->Panel5->height(), 54);
  EXPECT_EQ(form->Panel4->geometry().top(), form->Panel3->geometry().bottom() + 1);
  EXPECT_EQ(form->Panel4->geometry().bottom() + 1, form->Panel5->geometry().top());
}

TEST_F(MainFormTest, ResizingMovesControlsWithoutRebuildingThem) {
  ShowAtDesignSize();
  const QList<QWidget*> before = form->findChildren<QWidget*>();
  form->resize(1600, 1000);
  QCoreApplication::processEvents();
  form->resize(800, 500);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->findChildren<QWidget*>(), before);
  EXPECT_EQ(form->pnl_QuickButton->geometry(), QRect(0, 0, 800, 81));
}

TEST_F(MainFormTest, MeterPanelFocusOrderFollowsTheFields) {
  const QWidget* expected[] = {
      form->ed_MeterName,          form->ed_MeterAddr,           form->cbo_MeterCommStyle,
      form->ed_CommStartReg,       form->ed_MeterPreRecordTime,  form->cbo_CommMod,
      form->cboBox_MeterCommSerial, form->cboBox_MeterCommBaundrate, form->ed_MeterIPAddr,
      form->ed_Port,               form->btn_MeterBatchAdd,      form->btn_MeterAdd,
      form->btn_MeterDel,          form->btn_MeterModify,        form->btn_MeterSave,
  };
  const QWidget* current = form->ed_MeterName;
  for (const QWidget* next : expected) {
    EXPECT_EQ(current, next) << next->objectName().toStdString();
    do {
      current = current->nextInFocusChain();
    } while (current->focusPolicy() == Qt::NoFocus);
  }
}

}  // namespace
