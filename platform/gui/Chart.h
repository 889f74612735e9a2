#pragma once
// TChart: a painted line chart for the station's real-time trend and the viewer's history curves.
//
// Picture, from the top: the title, the plot area (the back wall, clear so that the chart's own
// colour shows until a back colour is set) with a left axis and a bottom axis, and, when shown,
// the legend at the bottom listing every series by title and colour. Only active series with a
// visible line are drawn, clipped to the plot area, in the order they were added (the last on
// top). Lines 1 pixel wide are drawn by TLineRaster (ChartRaster.h) straight into the pixels
// when the picture goes into a 32-bit image without transform (the cached picture, or Draw into
// such an image): every pixel is written once however many curves cross it, and a picture of
// many points is drawn in up to four vertical stripes at the same time (DrawLines), so 5,760
// curves of 1,000 points draw in some 15 ms even when every point jumps across the plot, and
// 128 curves of 20,000 points in a few. Wider lines, and
// every line on other devices (printers), go through QPainter with at most four points per pixel
// column (ColumnPolyline). The two give the same picture to within a pixel (ChartRaster.h).
//
// The whole picture is kept in a cached image that is redrawn only after a change of data,
// axes, colours, texts or size, and only when the chart is painted (a hidden chart costs
// nothing); other repaints copy the image. Changes therefore cost little: appending a point
// only marks the picture stale.
//
// Axes. Each axis is automatic (the range of the active series' points) or fixed. The left axis
// is the value axis, the bottom axis the X axis. LeftAxis() and BottomAxis() report the range
// shown now, computed for an automatic axis. Setting a minimum or a maximum fixes the axis; as
// an axis always has minimum <= maximum, SetXxxMinimum raises Exception for a value above the
// present maximum and SetXxxMaximum for a value below the present minimum (set the two in the
// order that keeps them apart, or both at once with SetXxxMinMax, which takes any pair).
//
// Bottom-axis labels: with TAxisLabelStyle::Auto a tick shows the point label of its X where one
// was given (a blank label shows blank), otherwise the number; with Mark it shows only point
// labels, and ticks fall on whole X positions. The left axis shows numbers in the form of
// LeftAxisLabelText.
//
// Zoom and pan. ZoomPercent(115) moves both ends of each axis inward by 15 % of its present span,
// ZoomPercent(85) outward by 15 %. A left-button drag down and to the right zooms to the dragged
// rectangle, a drag to the left undoes the zoom; a right-button drag pans both axes. The axis
// scales in force before the first zoom or pan are kept, and UndoZoom brings them back, makes
// the bottom axis automatic again and forgets them. After a zoom (by percent, rectangle or
// mouse) the chart calls OnZoom, after a pan with the mouse OnScroll, after UndoZoom OnUndoZoom.
// Callbacks raised by the mouse run guarded (an exception ends only the callback and shows the
// error box); those raised by a call from code propagate to that code.
//
// Holding the picture. Between BeginUpdate and the matching EndUpdate (TChartUpdate does both)
// the picture is not redrawn, however much the data changes: a repaint meanwhile (of a progress
// gauge lying on the chart, for one) shows the picture as it stood. EndUpdate lets the next
// repaint draw it once, with everything that changed. After each redraw every active series'
// OnAfterDrawValues runs.
//
// Cross-hair overlay. SetCrossHair stores a point; every repaint then draws a vertical and a
// horizontal line through it over the cached picture, inside the plot area, as an XOR pen would
// (each pixel of a line is the picture's pixel XOR the pen colour, so where the lines cross the
// picture shows), and ClearCrossHair takes it away. Moving it repaints the two old and the two
// new lines from the cache: a mouse move never redraws the curves.
//
// Printing: Draw() paints the whole chart into any painter; ShowChartPrintPreview
// (ChartPrint.h) prints through it with PrintMargins().
//
// The chart owns its series. GUI thread only.

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gui/Colors.h"
#include "platform/gui/FastLineSeries.h"

class QFontMetrics;
class QPainter;

// The range an axis shows now, and whether it follows the data.
struct TChartAxis {
  double Minimum = 0;
  double Maximum = 0;
  bool Automatic = true;
};

enum class TAxisLabelStyle { Auto, Mark };

class TChart : public QWidget, private TSeriesOwner {
  Q_OBJECT
 public:
  static constexpr int kFrameWidth = 2;
  static constexpr int kTickLength = 4;
  static constexpr int kMargin = 6;
  // Least room between two axis labels.
  static constexpr int kLabelGap = 12;
  // A left-button drag shorter than this (in either direction) neither zooms nor undoes.
  static constexpr int kMinZoomDragPixels = 16;
  // Default print margins, in percent of the page.
  static constexpr int kDefaultPrintMarginPercent = 15;

  explicit TChart(QWidget* parent = nullptr);
  ~TChart() override;

  // ---- Texts and colours ----
  const QString& Title() const { return title_; }
  void SetTitle(const QString& title);
  TColor TitleColor() const { return titleColor_; }
  void SetTitleColor(TColor color);
  // The title's font (the chart's own font until set).
  QFont TitleFont() const { return titleFont_.value_or(font()); }
  void SetTitleFont(const QFont& font);
  // The chart's own colour, around the plot area (clBtnFace by default).
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // The back wall's colour; while no back colour has been set the wall is clear and this is the
  // chart's own colour.
  TColor BackColor() const { return backWallFilled_ ? backColor_ : color_; }
  bool BackWallFilled() const { return backWallFilled_; }
  void SetBackColor(TColor color);
  bool LegendVisible() const { return legendVisible_; }
  void SetLegendVisible(bool visible);
  TAxisLabelStyle BottomAxisLabelStyle() const { return bottomLabelStyle_; }
  void SetBottomAxisLabelStyle(TAxisLabelStyle style);

  // ---- Axes ----
  TChartAxis LeftAxis() const;
  TChartAxis BottomAxis() const;
  // Fix the axis to [minimum, maximum] in one step. Ends given in the wrong order are shown in
  // order; ends that are not finite show the data's range.
  void SetLeftAxisMinMax(double minimum, double maximum);
  void SetBottomAxisMinMax(double minimum, double maximum);
  // Fix one end; the other keeps the value shown now. Raise Exception when the new minimum is
  // above the present maximum, or the new maximum below the present minimum.
  void SetLeftAxisMinimum(double minimum);
  void SetLeftAxisMaximum(double maximum);
  void SetBottomAxisMinimum(double minimum);
  void SetBottomAxisMaximum(double maximum);
  void SetLeftAxisAutomatic();
  void SetBottomAxisAutomatic();
  // The smallest and largest X of all points of all series (active or not); false when no
  // series has a point.
  bool XDataExtent(double& lo, double& hi) const;

  // ---- Series ----
  // A new series keeping at most `capacity` points (0: no limit), drawn after the ones added
  // before it. Its colour is the first colour of AutomaticColors() that no series has yet, or,
  // once every one is taken, the palette's colours in turn.
  TFastLineSeries* AddSeries(int capacity = 0);
  void RemoveSeries(int index);
  // Removes every series and every point label.
  void RemoveAllSeries();
  int SeriesCount() const { return static_cast<int>(series_.size()); }
  // REQUIRES 0 <= index < SeriesCount().
  TFastLineSeries* Series(int index) const { return series_.at(index).get(); }
  static const std::vector<TColor>& AutomaticColors();

  // ---- Point labels, one per X position, shared by every series ----
  // A label is given with a point (TFastLineSeries::AddY). Labels are kept for the X positions
  // that a series can still hold: the last (largest capacity) positions while every series has
  // a capacity, all positions otherwise.
  // The label of X: the one given with a point, else the label source's, else empty.
  QString XLabel(std::int64_t x) const final;
  // Labels worked out when they are shown rather than given with every point: XLabel asks
  // `source` for an X that was given no label. For labels that follow from X (a history page's
  // record times), of which only the few on the axis or under the mouse are ever read.
  // RemoveAllSeries drops the source; an empty function drops it too.
  void SetXLabelSource(std::function<QString(std::int64_t x)> source);

  // ---- Geometry, in widget coordinates ----
  // The plot area: inside the axes, below the title, above the axis labels and the legend.
  QRect PlotRect() const;
  // Screen <-> value through the axes as shown now (every series uses the left and bottom axes).
  double BottomAxisValueAt(int x) const;
  double LeftAxisValueAt(int y) const;
  int BottomAxisPixelOf(double value) const;
  int LeftAxisPixelOf(double value) const;
  // The text the left axis shows for a value: grouped thousands and at most three decimals
  // ("1,234.568", "-0.5", "0").
  static QString LeftAxisLabelText(double value);

  // ---- Zoom and pan ----
  void ZoomPercent(double percent);
  // Zooms to the values under a rectangle of widget pixels.
  void ZoomRect(const QRect& pixels);
  void UndoZoom();
  // True between the first zoom or pan and the next UndoZoom.
  bool Zoomed() const { return savedScales_.has_value(); }
  std::function<void()> OnZoom;
  std::function<void()> OnScroll;
  std::function<void()> OnUndoZoom;
  // Every mouse move over the chart (widget pixels, the keyboard modifiers held), also without a
  // button pressed. Setting it is enough: the chart tracks the mouse from its creation.
  std::function<void(Qt::KeyboardModifiers shift, int x, int y)> OnMouseMove;

  // ---- Holding the picture ----
  // Calls nest; only the outermost EndUpdate lets the picture be drawn again.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updateDepth_ > 0; }
  // How often the picture (curves, axes, legend) has been drawn for the screen.
  std::int64_t PictureDraws() const { return pictureDraws_; }

  // ---- Cross-hair overlay ----
  // Shows the cross-hair through `at` (widget pixels), replacing the one shown before.
  void SetCrossHair(const QPoint& at);
  void ClearCrossHair();
  // The point the cross-hair goes through; none when it is not shown.
  const std::optional<QPoint>& CrossHair() const { return crossHair_; }
  // The pen: its colour is the back colour's RGB XOR `colorMask`, so over the back wall the lines
  // show in the mask's colour whatever the back colour (255: red); solid by default.
  void SetCrossHairPen(TColor colorMask, Qt::PenStyle style);

  // ---- Painting and printing ----
  // Paints the whole chart (without overlay) into `bounds` of any painter.
  void Draw(QPainter& painter, const QRect& bounds) const;
  // Left, top, right, bottom margins in percent of the page.
  const QMargins& PrintMargins() const { return printMargins_; }
  void SetPrintMargins(const QMargins& percent) { printMargins_ = percent; }
  // Called by the series after a change: the picture is redrawn at the next repaint.
  void DataChanged() final;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  struct Ranges {
    double xMin, xMax, yMin, yMax;
  };
  struct LegendItem {
    QRect rect;
    int series;
  };
  // Where everything goes for one size of the chart, and the ranges shown.
  struct Layout {
    QRect bounds, title, plot, legend;
    Ranges ranges;
    std::vector<double> yTicks, xTicks;
    int xLabelWidth = 0;
    std::vector<LegendItem> legendItems;
  };
  struct Scales {
    TChartAxis left, bottom;
  };
  enum class Drag { None, Zoom, Pan };

  Ranges VisibleRanges() const;
  Layout MakeLayout(const QRect& bounds, const QFontMetrics& metrics,
                    const QFontMetrics& titleMetrics) const;
  void LayOutLegend(Layout& layout, const QFontMetrics& metrics, int& bottom) const;
  const Layout& CurrentLayout() const;
  void DrawChart(QPainter& painter, const Layout& layout) const;
  void DrawTitle(QPainter& painter, const Layout& layout) const;
  // Draws the series in order. Into a plain 32-bit image (RasterTarget) each run of 1-pixel
  // lines goes through TLineRaster; wider lines, and every line on other devices, go through
  // QPainter.
  void DrawSeries(QPainter& painter, const Layout& layout) const;
  static bool IsDrawn(const TFastLineSeries& series);
  // The image under `painter` when the raster may draw into it directly, else null.
  static QImage* RasterTarget(QPainter& painter);
  // Draws the 1-pixel series from `first` up to the next drawn wider one; returns where it
  // stopped.
  int RasterizeThinRun(QImage& image, const Layout& layout, int first) const;
  void PaintSeries(QPainter& painter, const Layout& layout, const TFastLineSeries& series) const;
  void DrawAxes(QPainter& painter, const Layout& layout) const;
  void DrawLegend(QPainter& painter, const Layout& layout) const;
  QString BottomLabel(double tick) const;
  // Narrows the plot until every bottom-axis label lies whole inside the chart's frame.
  void FitBottomLabels(Layout& layout, const QFontMetrics& metrics) const;
  static int BottomTickPixel(const Layout& layout, double tick);
  std::vector<double> BottomTicks(const QFontMetrics& metrics, const Ranges& ranges, int length,
                                  int& labelWidth) const;
  void RenderCache();
  void Invalidate();
  void SetAxis(TChartAxis& axis, double minimum, double maximum);
  void SetOrderedAxis(TChartAxis& axis, double minimum, double maximum);
  void SaveScalesOnce();
  void PanBy(const QPoint& pixels);
  // Copies `part` of the cached picture to the painter.
  void CopyPicture(QPainter& painter, const QRect& part) const;
  // Draws the pixels of `source` from `from` on into `target`.
  static void DrawImagePart(QPainter& painter, const QRect& target, const QImage& source,
                            const QPoint& from);
  // Draws the cross-hair's pixels that lie in `region` over the picture.
  void DrawCrossHair(QPainter& painter, const QRect& region) const;
  // Marks the widget's row and column through `at` for repainting.
  void UpdateLinesThrough(const QPoint& at);
  void SetXLabel(std::int64_t x, const QString& label) final;
  void UpdateLabelWindow();

  QString title_;
  TColor titleColor_ = clBlue;
  std::optional<QFont> titleFont_;
  TColor color_ = clBtnFace;
  bool backWallFilled_ = false;
  TColor backColor_ = clWhite;
  bool legendVisible_ = true;
  TAxisLabelStyle bottomLabelStyle_ = TAxisLabelStyle::Auto;
  TChartAxis leftAxis_;
  TChartAxis bottomAxis_;
  std::optional<Scales> savedScales_;
  std::vector<std::unique_ptr<TFastLineSeries>> series_;
  std::deque<QString> labels_;
  std::function<QString(std::int64_t)> labelSource_;
  std::int64_t labelsFirstX_ = 0;
  std::size_t labelWindow_ = 0;   // the largest capacity
  bool labelsUnbounded_ = false;  // some series has no capacity: every label is kept
  QMargins printMargins_{kDefaultPrintMarginPercent, kDefaultPrintMarginPercent,
                         kDefaultPrintMarginPercent, kDefaultPrintMarginPercent};

  mutable std::unique_ptr<Layout> layout_;  // of the widget; null when stale
  QImage cache_;                            // the picture; stale while cacheDirty_
  QRect cachePlot_;                         // the plot area of the picture in cache_
  bool cacheDirty_ = true;
  int updateDepth_ = 0;
  std::int64_t pictureDraws_ = 0;
  std::optional<QPoint> crossHair_;
  TColor crossHairMask_ = clRed;
  Qt::PenStyle crossHairStyle_ = Qt::SolidLine;
  Drag drag_ = Drag::None;
  QPoint dragStart_;
  QPoint dragLast_;
};

// Holds a chart's picture for as long as it lives (TChart::BeginUpdate / EndUpdate).
class TChartUpdate {
 public:
  explicit TChartUpdate(TChart& chart) : chart_(chart) { chart_.BeginUpdate(); }
  ~TChartUpdate() { chart_.EndUpdate(); }
  TChartUpdate(const TChartUpdate&) = delete;
  TChartUpdate& operator=(const TChartUpdate&) = delete;

 private:
  TChart& chart_;
};

// Tick positions for an axis from `minimum` to `maximum` with about `maxTicks` ticks at a step of
// 1, 2 or 5 times a power of ten. REQUIRES maximum > minimum, maxTicks >= 1.
std::vector<double> AxisTicks(double minimum, double maximum, int maxTicks);
