#pragma once
// TChart: a painted line chart for trends and history curves.
//
// It draws, inside a raised frame in the chart's colour: the title at the top, a left axis and
// a bottom axis with ticks and labels, the back wall (the plot area, filled with the back colour
// once one is set; clear before), and every active series clipped to the plot area. Series are
// drawn into a cached image of the plot area, which is redrawn only after a change of data,
// axes, colours or size, so repaints for other reasons (an overlay, an exposed window) cost a
// copy of that image.
//
// The left axis is either automatic (the range of the active series' values) or fixed by
// SetLeftAxisMinMax; the bottom axis likewise over X. Bottom-axis tick labels are the labels of
// the X positions where there are any, numbers otherwise.
//
// Extension points: Draw() paints the whole chart into any painter (an image, a printer); the
// axes' ranges can be set from outside (zooming changes them and SetBottomAxisAutomatic /
// SetLeftAxisAutomatic undo it). GUI thread only.

#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/gui/Colors.h"
#include "platform/gui/FastLineSeries.h"

struct TChartAxis {
  double Minimum = 0;
  double Maximum = 0;
  bool Automatic = true;
};

class TChart : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kFrameWidth = 2;
  static constexpr int kTickLength = 4;
  static constexpr int kMargin = 6;
  // Least room between two axis labels.
  static constexpr int kLabelGap = 12;

  explicit TChart(QWidget* parent = nullptr);
  ~TChart() override;

  const QString& Title() const { return title_; }
  void SetTitle(const QString& title);
  TColor TitleColor() const { return titleColor_; }
  void SetTitleColor(TColor color);
  // The panel around the plot area.
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // The back wall: clear (the panel colour shows) until a back colour is set.
  bool BackWallFilled() const { return backWallFilled_; }
  TColor BackColor() const { return backColor_; }
  void SetBackColor(TColor color);

  const TChartAxis& LeftAxis() const { return leftAxis_; }
  // Fixes the left axis to [minimum, maximum] (automatic scaling off).
  void SetLeftAxisMinMax(double minimum, double maximum);
  void SetLeftAxisAutomatic();
  const TChartAxis& BottomAxis() const { return bottomAxis_; }
  void SetBottomAxisMinMax(double minimum, double maximum);
  void SetBottomAxisAutomatic();
  // The ranges the axes show now (fixed or computed from the active series).
  void VisibleRanges(double& xMin, double& xMax, double& yMin, double& yMax) const;

  // A new series of `capacity` points, drawn after the ones added before it.
  TFastLineSeries* AddSeries(int capacity);
  void RemoveAllSeries();
  int SeriesCount() const { return static_cast<int>(series_.size()); }
  TFastLineSeries* Series(int index) const { return series_.at(index).get(); }

  // Labels of X positions, shared by every series. Only the labels of the last
  // LabelWindow() positions are kept (the largest series capacity).
  void SetXLabel(std::int64_t x, const QString& label);
  QString XLabel(std::int64_t x) const;
  int LabelWindow() const { return labelWindow_; }

  // The plot area (inside the axes) for a chart drawn into `bounds`.
  QRect PlotRect(const QRect& bounds) const;
  // Paints the whole chart into `bounds` of any painter.
  void Draw(QPainter& painter, const QRect& bounds) const;
  // Called by the series after a change: the plot is redrawn at the next repaint.
  void DataChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void DrawFrameAndTitle(QPainter& painter, const QRect& bounds) const;
  void DrawAxes(QPainter& painter, const QRect& plot, double xMin, double xMax, double yMin,
                double yMax) const;
  void DrawPlot(QPainter& painter, const QRect& plot, double xMin, double xMax, double yMin,
                double yMax) const;
  QRect PlotRect(const QRect& bounds, double yMin, double yMax) const;
  QString BottomLabel(double tick) const;
  std::vector<double> BottomTicks(const QFontMetrics& metrics, double xMin, double xMax, int length,
                                  int& labelWidth) const;
  void RenderPlotCache(const QRect& plot, double xMin, double xMax, double yMin, double yMax);

  QString title_;
  TColor titleColor_ = clBlue;
  TColor color_ = clBtnFace;
  bool backWallFilled_ = false;
  TColor backColor_ = clWhite;
  TChartAxis leftAxis_;
  TChartAxis bottomAxis_;
  std::vector<std::unique_ptr<TFastLineSeries>> series_;
  std::deque<QString> labels_;
  std::int64_t labelsFirstX_ = 0;
  int labelWindow_ = 0;
  QImage plotCache_;
  bool plotDirty_ = true;
};

// Tick positions for an axis from `minimum` to `maximum` with about `maxTicks` ticks at a step of
// 1, 2 or 5 times a power of ten. REQUIRES maximum > minimum, maxTicks >= 1.
std::vector<double> AxisTicks(double minimum, double maximum, int maxTicks);
