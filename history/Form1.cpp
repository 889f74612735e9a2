#include "history/Form1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTimeEdit>

#include "common/AppPaths.h"
#include "history/ColorPanel.h"
#include "history/DatePickers.h"
#include "platform/gui/Controls.h"
#include "platform/gui/AlignLayout.h"
#include "platform/gui/Captions.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/StatusBar.h"

TForm1* Form1 = nullptr;

namespace {

// ---- Sizes of the design ----
constexpr int kLeftPanelWidth = 273;
constexpr int kSearchGroupHeight = 256;
constexpr int kSplitterHeight = 4;
constexpr int kOperationBoxHeight = 168;
constexpr int kTrackBarHeight = 30;
constexpr int kTrackBarMax = 100;
constexpr int kChartTitlePixelSize = 16;
// Status bar: panel 0 holds the path of the open file.
const std::vector<int> kStatusPanelWidths = {500, 140, 50, 50, 50};
// The alias edit holds a DevName.dat entry's text.
constexpr int kAliasEditMaxBytes = kAliasTextBytes;
constexpr int kRangeEditMaxBytes = 40;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

void MakeRed(QLabel* label) { label->setStyleSheet(QStringLiteral("color: red")); }

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), open_histr_data(QStringLiteral("History Data|*.vq")) {
  Form1 = this;
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Utf8("历史数据分析"));
  setFont(DesignFont(kDesignFontPixelSize));
  resize(kDesignWidth, kDesignHeight);
  setWindowState(Qt::WindowMaximized);

  MainMenu1 = Named(new QMenuBar(this), "MainMenu1");
  N1 = Named(MainMenu1->addMenu(Utf8("系统")), "N1");
  N2 = Named(N1->addAction(Utf8("趋势名称设置")), "N2");

  StatusBar1 = Named(new TStatusBar(this), "StatusBar1");
  StatusBar1->SetPanelWidths(kStatusPanelWidths);

  PageControl1 = Named(new TPageControl(this), "PageControl1");
  TabSheet5 = Named(new TTabSheet(PageControl1, Utf8("历史趋势")), "TabSheet5");
  Panel10 = NewPanel("Panel10", TabSheet5);
  Panel20 = NewPanel("Panel20", TabSheet5);
  TabSheet5->Docks().AddAligned(Panel10, TAlign::Left, kLeftPanelWidth);
  TabSheet5->Docks().AddAligned(Panel20, TAlign::Client);

  BuildSearchGroup();
  BuildOperationGroup();
  BuildChartPanel();
  BuildAliasPanel();

  auto* docks = new TAlignLayout(this);
  docks->AddAligned(MainMenu1, TAlign::Top, MainMenu1->sizeHint().height());
  docks->AddAligned(StatusBar1, TAlign::Bottom);
  docks->AddAligned(PageControl1, TAlign::Client);

  ConnectHandlers();
}

TForm1::~TForm1() {
  // The side-panel controls belong to the scroll box and go with the window.
  ChannelControlList.clear();
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::BuildSearchGroup() {
  Splitter3 = Named(new QSplitter(Qt::Vertical, Panel10), "Splitter3");
  Splitter3->setHandleWidth(kSplitterHeight);
  Splitter3->setChildrenCollapsible(false);
  Splitter3->setStyleSheet(QStringLiteral("QSplitter::handle { background: red; }"));

  GroupBox3 = Named(new QGroupBox(Utf8("查询"), Splitter3), "GroupBox3");
  QWidget* g = GroupBox3;
  but_open_histr_data = Placed(NewButton("but_open_histr_data", "打开历史数据", g), 8, 18, 125, 25);
  Button1 = Placed(NewButton("Button1", "查询", g), 140, 18, 125, 25);
  Button_histr_back = Placed(NewButton("Button_histr_back", "<<", g), 8, 48, 40, 22);
  Label_histr_pagecount = Placed(NewLabel("Label_histr_pagecount", "", g), 56, 52, 160, 16);
  Button_histr_next = Placed(NewButton("Button_histr_next", ">>", g), 225, 48, 40, 22);
  for (QWidget* pageControl :
       {static_cast<QWidget*>(Button_histr_back), static_cast<QWidget*>(Button_histr_next)}) {
    pageControl->setEnabled(false);
    pageControl->setVisible(false);
  }
  Label_histr_pagecount->setVisible(false);

  DateTimer_give_date = Placed(Named(NewDatePicker(g), "DateTimer_give_date"), 8, 76, 120, 21);
  DateTimer_give_time = Placed(Named(NewTimePicker(g), "DateTimer_give_time"), 134, 76, 100, 21);
  Label2 = Placed(NewLabel("Label2", "至", g), 8, 99, 40, 16);
  DateTimePickerEndDate = Placed(Named(NewDatePicker(g), "DateTimePickerEndDate"), 8, 116, 120, 21);
  DateTimePickerEndTime =
      Placed(Named(NewTimePicker(g), "DateTimePickerEndTime"), 134, 116, 100, 21);

  Label23 = Placed(NewLabel("Label23", "范围", g), 8, 147, 40, 16);
  ME_histr_down = Placed(NewEdit("ME_histr_down", "0", kRangeEditMaxBytes, g), 52, 144, 70, 21);
  ME_histr_up = Placed(NewEdit("ME_histr_up", "1000", kRangeEditMaxBytes, g), 128, 144, 70, 21);
  but_mod_up = Placed(NewButton("but_mod_up", "范围设置确定", g), 8, 170, 257, 25);

  Combox_histrch_color =
      Placed(Named(MakeListCombo({}, -1, g), "Combox_histrch_color"), 8, 202, 200, 21);
  Pnl_histr_color = Placed(Named(new TColorPanel(g), "Pnl_histr_color"), 216, 202, 21, 21);
  Label1 = Placed(NewLabel("Label1", "背景颜色", g), 8, 231, 120, 16);
  Panel_back_color = Placed(Named(new TColorPanel(g), "Panel_back_color"), 134, 228, 21, 21);
  GroupBox3->setMinimumHeight(kSearchGroupHeight);

  ScrollBox_hisrt_color = Named(new TScrollBox(Splitter3), "ScrollBox_hisrt_color");
  CheckBox_allhisrt_curve =
      Placed(Named(new QCheckBox(Utf8("全部"), ScrollBox_hisrt_color->Content()),
                   "CheckBox_allhisrt_curve"),
             8, 4, 150, 20);
  CheckBox_allhisrt_curve->setChecked(true);
  CheckBox_allhisrt_curve->setEnabled(false);
  Splitter3->addWidget(GroupBox3);
  Splitter3->addWidget(ScrollBox_hisrt_color);
  Splitter3->setStretchFactor(1, 1);
  Splitter3->setSizes({kSearchGroupHeight, kDesignHeight});
}

void TForm1::BuildOperationGroup() {
  ScrollBox_hisrt_op = Named(new TScrollBox(Panel10), "ScrollBox_hisrt_op");
  GroupBox2 = Placed(Named(new QGroupBox(Utf8("操作"), ScrollBox_hisrt_op->Content()), "GroupBox2"),
                     0, 0, 250, 150);
  QWidget* g = GroupBox2;
  Button5 = Placed(NewButton("Button5", "打印预览", g), 8, 20, 112, 25);
  Button11 = Placed(NewButton("Button11", "放大", g), 128, 20, 112, 25);
  Button12 = Placed(NewButton("Button12", "缩小", g), 8, 54, 112, 25);
  but_unzoom = Placed(NewButton("but_unzoom", "恢复", g), 128, 54, 112, 25);
  Button_expro_histr = Placed(NewButton("Button_expro_histr", "导出到EXCEL", g), 8, 88, 232, 25);
  Button_expro_histr->setEnabled(false);

  Panel10->Docks().AddAligned(ScrollBox_hisrt_op, TAlign::Bottom, kOperationBoxHeight);
  Panel10->Docks().AddAligned(Splitter3, TAlign::Client);
}

void TForm1::BuildChartPanel() {
  Chart2 = Named(new TChart(Panel20), "Chart2");
  Chart2->SetTitle(QStringLiteral("History Trend"));
  Chart2->SetTitleColor(clBlue);
  // Arial of the design: the design face has its widths.
  Chart2->SetTitleFont(DesignFont(kChartTitlePixelSize));
  Chart2->SetBackColor(clWhite);
  Chart2->SetLeftAxisMinMax(0, 1000);
  // The bottom axis shows the time labels of the points.
  Chart2->SetBottomAxisLabelStyle(TAxisLabelStyle::Mark);
  Chart2->SetLegendVisible(true);

  tb_histr_time = Named(new QSlider(Qt::Horizontal, Panel20), "tb_histr_time");
  tb_histr_time->setRange(0, kTrackBarMax);
  tb_histr_time->setValue(0);
  Panel20->Docks().AddAligned(tb_histr_time, TAlign::Bottom, kTrackBarHeight);
  Panel20->Docks().AddAligned(Chart2, TAlign::Client);

  lb_histr_time = Placed(NewLabel("lb_histr_time", "时间范围", Chart2), 60, 28,
                         kReadOutLineWidth, kReadOutLineHeight);
  Label_histr_oncross = Placed(NewLabel("Label_histr_oncross", "当前时间", Chart2), 60, 46,
                               kReadOutLineWidth, kReadOutLineHeight);
  MakeRed(lb_histr_time);
  MakeRed(Label_histr_oncross);

  Panel_histread_progress = Placed(NewPanel("Panel_histread_progress", Chart2), 200, 200, 320, 40);
  CGauge1 = Placed(Named(new QProgressBar(Panel_histread_progress), "CGauge1"), 8, 8, 304, 24);
  CGauge1->setRange(0, 0);
  Panel_histread_progress->setVisible(false);
}

void TForm1::BuildAliasPanel() {
  Panel1 = Placed(NewPanel("Panel1", Chart2), 240, 120, 240, 150);
  QWidget* p = Panel1;
  Label3 = Placed(NewLabel("Label3", "名称", p), 12, 10, 200, 16);
  ComboBoxChName = Placed(Named(MakeListCombo({}, -1, p), "ComboBoxChName"), 12, 28, 216, 21);
  Label4 = Placed(NewLabel("Label4", "位号", p), 12, 56, 200, 16);
  MaskEditChName = Placed(NewEdit("MaskEditChName", "", kAliasEditMaxBytes, p), 12, 74, 216, 21);
  btModChName = Placed(NewButton("btModChName", "修改", p), 12, 110, 100, 25);
  btModChNameExit = Placed(NewButton("btModChNameExit", "退出", p), 128, 110, 100, 25);
  Panel1->setVisible(false);
}

void TForm1::ConnectHandlers() {
  const auto onClick = [this](QPushButton* button, void (TForm1::*handler)()) {
    connect(button, &QPushButton::clicked, this, Guarded([this, handler] { (this->*handler)(); }));
  };
  onClick(but_open_histr_data, &TForm1::but_open_histr_dataClick);
  onClick(Button1, &TForm1::Button1Click);
  onClick(Button_histr_back, &TForm1::Button_histr_backClick);
  onClick(Button_histr_next, &TForm1::Button_histr_nextClick);
  onClick(but_mod_up, &TForm1::but_mod_upClick);
  onClick(Button5, &TForm1::Button5Click);
  onClick(Button11, &TForm1::Button11Click);
  onClick(Button12, &TForm1::Button12Click);
  onClick(but_unzoom, &TForm1::but_unzoomClick);
  onClick(Button_expro_histr, &TForm1::Button_expro_histrClick);
  onClick(btModChName, &TForm1::btModChNameClick);
  onClick(btModChNameExit, &TForm1::btModChNameExitClick);

  connect(N2, &QAction::triggered, this, Guarded([this] { N2Click(); }));
  // A check box's click handler runs whenever its state changes, from code as well.
  connect(CheckBox_allhisrt_curve, &QCheckBox::toggled, this,
          Guarded([this] { CheckBox_allhisrt_curveClick(); }));
  // The combo boxes' change handlers run on the user's pick only.
  connect(Combox_histrch_color, &QComboBox::activated, this,
          Guarded([this] { Combox_histrch_colorChange(); }));
  connect(ComboBoxChName, &QComboBox::activated, this, Guarded([this] { ComboBoxChNameChange(); }));
  connect(tb_histr_time, &QSlider::valueChanged, this, Guarded([this] { tb_histr_timeChange(); }));
  Pnl_histr_color->OnClick = [this] { RunGuarded([this] { Pnl_histr_colorClick(); }); };
  Panel_back_color->OnClick = [this] { RunGuarded([this] { Panel_back_colorClick(); }); };
  ConnectChartHandlers();
}

void TForm1::FormCreate() {
  ChannelControlList.clear();
  Panel_back_color->SetColor(Chart2->BackColor());
  Button1->setEnabled(false);
  SetEnglishTexts();
  // No cross-hair pen is set: the chart's own (solid, red over any back colour) is the viewer's.
  BusyReading = 1;
  // Every curve selected, CurrentDir and the aliases.
  ShowViewMessage(view_.Start(CurrentDirectory()));
}

void TForm1::SetEnglishTexts() {
  N1->setTitle(QStringLiteral("System"));
  N2->setText(QStringLiteral("Trend Name Setting"));
  const std::pair<QWidget*, const char*> texts[] = {
      {Label3, "Name"},
      {Label4, "Tag No."},
      {btModChName, "Modify"},
      {btModChNameExit, "Exit"},
      {this, "Quessa-History Data Analysis"},
      {TabSheet5, "History Trend"},
      {GroupBox3, "Check"},
      {but_open_histr_data, "Open History Data"},
      {Button1, "Search"},
      {Label2, "to"},
      {Label23, "Range"},
      {but_mod_up, "Range Setting OK"},
      {Label1, "Background Color"},
      {CheckBox_allhisrt_curve, "ALL"},
      {GroupBox2, "Operation"},
      {Button5, "Print Preview"},
      {Button11, "Zoom In"},
      {Button12, "Zoom Out"},
      {but_unzoom, "Resume"},
      {Button_expro_histr, "Export to EXCEL"},
      {lb_histr_time, "Time Range"},
      {Label_histr_oncross, "Current Time"},
  };
  for (const auto& [control, text] : texts) SetControlText(*control, QString::fromLatin1(text));
}
