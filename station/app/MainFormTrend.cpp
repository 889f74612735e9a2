// The real-time trend page: one curve per channel scrolling by one point per tick, the curve
// check boxes, and the option controls (back colour, line width, axis range, zoom, print
// preview).

#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>

#include "common/Errors.h"
#include "common/FixedText.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ChartPrint.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/UpDown.h"
#include "station/app/MainForm.h"

namespace {

// Curve check boxes: the first at top 32, one row of 16 per channel and an empty row after each
// meter; 200 wide at left 8.
constexpr int kFirstBoxTop = 32;
constexpr int kBoxRowHeight = 16;
constexpr int kBoxLeft = 8;
constexpr int kBoxWidth = 200;
// Zoom buttons: 115 moves both ends inward by 15 % of the span, 85 outward.
constexpr double kZoomInPercent = 115;
constexpr double kZoomOutPercent = 85;
// Label of the points a rebuilt series starts with: one blank.
const QString kBlankLabel = QStringLiteral(" ");

constexpr const char* kRangeErrorCaption = "Error";

QString CurveTitle(const TMeterRecord& meter, int c) {
  return QString::fromStdString(ReadFixedText(meter.Name) + ReadFixedText(meter.Channels[c].Name));
}

QString RangeText(float value) { return QString::fromStdString(CurveRangeText(value)); }

}  // namespace

void Tfm_MainForm::ConnectTrend() {
  connect(chkBox_SelectAllCurves, &QCheckBox::clicked, this,
          Guarded([this] { chkBox_SelectAllCurvesClick(); }));
  colorBox_CurvesBackColor->OnChange = Guarded([this] { colorBox_CurvesBackColorChange(); });
  upDown_CurvesWidth->OnClick = Guarded([this] { upDown_CurvesWidthClick(); });
  connect(btn_CurvesPrintPreview, &QPushButton::clicked, this,
          Guarded([this] { btn_CurvesPrintPreviewClick(); }));
  connect(btn_CurvesZoomOut, &QPushButton::clicked, this,
          Guarded([this] { btn_CurvesZoomOutClick(); }));
  connect(btn_CurvesZoomIn, &QPushButton::clicked, this,
          Guarded([this] { btn_CurvesZoomInClick(); }));
  connect(btn_CurvesResume, &QPushButton::clicked, this,
          Guarded([this] { btn_CurvesResumeClick(); }));
  connect(btn_SetCurvesRange, &QPushButton::clicked, this,
          Guarded([this] { btn_SetCurvesRangeClick(); }));
}

void Tfm_MainForm::BuildCurveSelectList() {
  QWidget* content = scrBox_CurvesSelectList->Content();
  // Thousands of boxes: no repaint or range update until all are placed.
  content->setUpdatesEnabled(false);
  // The group first: it lets go of its boxes at once, rather than one search per box.
  delete curveBoxGroup_;
  curveBoxGroup_ = new QButtonGroup(this);
  curveBoxGroup_->setExclusive(false);
  for (QCheckBox* box : CurveCheckBoxList) delete box;
  CurveCheckBoxList.clear();
  int top = kFirstBoxTop;
  int n = 0;  // running channel number over all meters
  for (int m = 0; m < MetersInUse(Table()); ++m) {
    const TMeterRecord& meter = Table().Meters[m];
    for (int c = 0; c < ChannelsInUse(meter); ++c, ++n) {
      auto* box = new QCheckBox(CurveTitle(meter, c), content);
      box->setGeometry(kBoxLeft, kBoxRowHeight * n + top, kBoxWidth, box->sizeHint().height());
      box->setChecked(true);
      curveBoxGroup_->addButton(box);
      // Connected after checking, so building the list changes no series. The operator's clicks
      // only: boxes set from code (by "ALL") run nothing per box.
      connect(box, &QCheckBox::clicked, this, Guarded([this] { chkBoxCurvesSelectClick(); }));
      box->show();
      CurveCheckBoxList.push_back(box);
    }
    top += kBoxRowHeight;
  }
  content->setUpdatesEnabled(true);
  scrBox_CurvesSelectList->UpdateScrollRange();
}

void Tfm_MainForm::RebuildTrendSeries() {
  chart_RealTimeCurves->RemoveAllSeries();
  for (int m = 0; m < MetersInUse(Table()); ++m) {
    const TMeterRecord& meter = Table().Meters[m];
    for (int c = 0; c < ChannelsInUse(meter); ++c) {
      // A flat line at 0 of exactly kTrendPoints points, 1 pixel wide, visible.
      TFastLineSeries* series = chart_RealTimeCurves->AddSeries(kTrendPoints);
      series->SetColor(meter.Channels[c].Colour);
      for (int i = 0; i < kTrendPoints; ++i) series->AddY(0.0f, kBlankLabel);
      series->SetTitle(CurveTitle(meter, c));
    }
  }
  chart_RealTimeCurves->setCursor(Qt::CrossCursor);
}

void Tfm_MainForm::Animate(int series, const std::string& label, double value) {
  if (series < 0 || series >= chart_RealTimeCurves->SeriesCount()) return;
  if (label != trendLabel_) {
    trendLabel_ = label;
    trendLabelText_ = QString::fromStdString(label);
  }
  TFastLineSeries* curve = chart_RealTimeCurves->Series(series);
  curve->DeleteFirst();
  curve->AddY(static_cast<float>(value), trendLabelText_);
}

void Tfm_MainForm::chkBoxCurvesSelectClick() {
  const int count = std::min(static_cast<int>(CurveCheckBoxList.size()),
                             chart_RealTimeCurves->SeriesCount());
  for (int i = 0; i < count; ++i) {
    chart_RealTimeCurves->Series(i)->SetActive(CurveCheckBoxList[i]->isChecked());
  }
}

void Tfm_MainForm::chkBox_SelectAllCurvesClick() {
  const bool all = chkBox_SelectAllCurves->isChecked();
  for (std::size_t i = 0; i < CurveCheckBoxList.size(); ++i) {
    CurveCheckBoxList[i]->setChecked(all);
    if (static_cast<int>(i) < chart_RealTimeCurves->SeriesCount()) {
      chart_RealTimeCurves->Series(static_cast<int>(i))->SetActive(all);
    }
  }
}

void Tfm_MainForm::colorBox_CurvesBackColorChange() {
  const TColor color = colorBox_CurvesBackColor->Selected();
  chart_RealTimeCurves->SetBackColor(color);
  RaiseOnFailure(config_.SetChartBackColor(color));
}

void Tfm_MainForm::ShowCurveRange() {
  ed_CurvesMix->setText(RangeText(config_.CurveRangeLow()));
  ed_CurvesMax->setText(RangeText(config_.CurveRangeHigh()));
}

void Tfm_MainForm::upDown_CurvesWidthClick() {
  const int width = upDown_CurvesWidth->value();
  for (int i = 0; i < chart_RealTimeCurves->SeriesCount(); ++i) {
    chart_RealTimeCurves->Series(i)->SetLineWidth(width);
  }
}

void Tfm_MainForm::btn_CurvesPrintPreviewClick() {
  chart_RealTimeCurves->SetPrintMargins({0, 0, 0, 0});
  ShowChartPrintPreview(*chart_RealTimeCurves);
}

void Tfm_MainForm::btn_CurvesZoomOutClick() { chart_RealTimeCurves->ZoomPercent(kZoomInPercent); }

void Tfm_MainForm::btn_CurvesZoomInClick() { chart_RealTimeCurves->ZoomPercent(kZoomOutPercent); }

void Tfm_MainForm::btn_CurvesResumeClick() { chart_RealTimeCurves->UndoZoom(); }

void Tfm_MainForm::btn_SetCurvesRangeClick() {
  const TCurveRangeEntry range =
      CheckCurveRange(ed_CurvesMix->text().toStdString(), ed_CurvesMax->text().toStdString());
  if (range.Check == TCurveRangeCheck::Accepted) {
    chart_RealTimeCurves->SetLeftAxisMinMax(range.Low, range.High);
    RaiseOnFailure(config_.SetCurveRange(range.Low, range.High));
    return;
  }
  if (range.Check == TCurveRangeCheck::NotAscending) ShowCurveRange();
  ShowMessageBox(QString::fromLatin1(CurveRangeRefusal(range.Check)),
                 QString::fromLatin1(kRangeErrorCaption));
}
