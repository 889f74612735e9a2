// TChart: state, axes, series, point labels, zoom and pan, mouse and the cross-hair overlay.
// Layout and drawing are in ChartPaint.cpp.

#include "platform/gui/Chart.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "platform/Errors.h"
#include "platform/gui/Dialogs.h"

namespace {

// Range shown by an automatic axis without any point.
constexpr double kEmptyAxisMaximum = 1.0;
// Half the span given to an axis whose range is a single value.
constexpr double kFlatRangeHalfSpan = 1.0;
// Above this the zoom would turn an axis inside out.
constexpr double kMaxZoomPercent = 150.0;

void WidenFlatRange(double& minimum, double& maximum) {
  if (maximum > minimum) return;
  minimum -= kFlatRangeHalfSpan;
  maximum += kFlatRangeHalfSpan;
}

// The range a fixed axis shows: its ends in order. Returns false, leaving the data's range, for
// an automatic axis and for ends that are not finite (a damaged setting).
bool ShownRange(const TChartAxis& axis, double& minimum, double& maximum) {
  if (axis.Automatic || !std::isfinite(axis.Minimum) || !std::isfinite(axis.Maximum)) return false;
  minimum = std::min(axis.Minimum, axis.Maximum);
  maximum = std::max(axis.Minimum, axis.Maximum);
  return true;
}

std::string AxisOrderMessage(double minimum, double maximum) {
  return "Axis maximum " + std::to_string(maximum) + " is below its minimum " +
         std::to_string(minimum);
}

// On/off runs, in pixels, of the cross-hair pen styles.
std::vector<int> PenPattern(Qt::PenStyle style) {
  switch (style) {
    case Qt::DashLine:
      return {4, 2};
    case Qt::DotLine:
      return {1, 2};
    case Qt::DashDotLine:
      return {4, 2, 1, 2};
    case Qt::DashDotDotLine:
      return {4, 2, 1, 2, 1, 2};
    default:
      return {};
  }
}

// Whether pixel `i` from the start of a line is drawn by the pattern (solid when empty).
bool PatternOn(const std::vector<int>& pattern, int i) {
  if (pattern.empty()) return true;
  int period = 0;
  for (int run : pattern) period += run;
  int at = i % period;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    if (at < pattern[k]) return k % 2 == 0;
    at -= pattern[k];
  }
  return false;
}

}  // namespace

std::vector<double> AxisTicks(double minimum, double maximum, int maxTicks) {
  std::vector<double> ticks;
  maxTicks = std::max(maxTicks, 1);
  const double rough = (maximum - minimum) / maxTicks;
  if (!std::isfinite(rough) || rough <= 0) return ticks;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power * 10;
  for (double factor : {1.0, 2.0, 5.0}) {
    if (power * factor >= rough) {
      step = power * factor;
      break;
    }
  }
  // Counted steps: adding a step to a large value can leave it unchanged.
  const double first = std::ceil(minimum / step - 1e-9) * step;
  for (int i = 0; i <= 2 * maxTicks + 1; ++i) {
    const double tick = first + i * step;
    if (tick > maximum + step * 1e-9) break;
    ticks.push_back(tick);
  }
  return ticks;
}

TChart::TChart(QWidget* parent) : QWidget(parent) {
  // The picture is opaque and copied whole: no background fill before each paint.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
}

TChart::~TChart() = default;

// ---- Texts and colours ----

void TChart::SetTitle(const QString& title) {
  title_ = title;
  Invalidate();
}

void TChart::SetTitleColor(TColor color) {
  titleColor_ = color;
  Invalidate();
}

void TChart::SetTitleFont(const QFont& font) {
  titleFont_ = font;
  Invalidate();
}

void TChart::SetColor(TColor color) {
  color_ = color;
  Invalidate();
}

void TChart::SetBackColor(TColor color) {
  backColor_ = color;
  backWallFilled_ = true;
  Invalidate();
}

void TChart::SetLegendVisible(bool visible) {
  legendVisible_ = visible;
  Invalidate();
}

void TChart::SetBottomAxisLabelStyle(TAxisLabelStyle style) {
  bottomLabelStyle_ = style;
  Invalidate();
}

// ---- Axes ----

TChart::Ranges TChart::VisibleRanges() const {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  Ranges shown{kInf, -kInf, kInf, -kInf};
  double unused = 0;
  // The values are scanned only when the left axis shows them.
  const bool scanY = !ShownRange(leftAxis_, unused, unused);
  for (const auto& series : series_) {
    if (!series->Active() || series->Count() == 0) continue;
    shown.xMin = std::min(shown.xMin, static_cast<double>(series->FirstX()));
    shown.xMax = std::max(shown.xMax, static_cast<double>(series->LastX()));
    for (int i = 0; scanY && i < series->Count(); ++i) {
      const double y = series->YValue(i);
      if (!std::isfinite(y)) continue;
      shown.yMin = std::min(shown.yMin, y);
      shown.yMax = std::max(shown.yMax, y);
    }
  }
  if (shown.xMin > shown.xMax) shown.xMin = 0, shown.xMax = kEmptyAxisMaximum;
  if (shown.yMin > shown.yMax) shown.yMin = 0, shown.yMax = kEmptyAxisMaximum;
  ShownRange(bottomAxis_, shown.xMin, shown.xMax);
  ShownRange(leftAxis_, shown.yMin, shown.yMax);
  WidenFlatRange(shown.xMin, shown.xMax);
  WidenFlatRange(shown.yMin, shown.yMax);
  return shown;
}

TChartAxis TChart::LeftAxis() const {
  const Ranges& ranges = CurrentLayout().ranges;
  return {ranges.yMin, ranges.yMax, leftAxis_.Automatic};
}

TChartAxis TChart::BottomAxis() const {
  const Ranges& ranges = CurrentLayout().ranges;
  return {ranges.xMin, ranges.xMax, bottomAxis_.Automatic};
}

void TChart::SetAxis(TChartAxis& axis, double minimum, double maximum) {
  axis = {minimum, maximum, false};
  Invalidate();
}

void TChart::SetOrderedAxis(TChartAxis& axis, double minimum, double maximum) {
  if (!(minimum <= maximum)) throw Exception(AxisOrderMessage(minimum, maximum));
  SetAxis(axis, minimum, maximum);
}

void TChart::SetLeftAxisMinMax(double minimum, double maximum) {
  SetAxis(leftAxis_, minimum, maximum);
}

void TChart::SetBottomAxisMinMax(double minimum, double maximum) {
  SetAxis(bottomAxis_, minimum, maximum);
}

void TChart::SetLeftAxisMinimum(double minimum) {
  SetOrderedAxis(leftAxis_, minimum, LeftAxis().Maximum);
}

void TChart::SetLeftAxisMaximum(double maximum) {
  SetOrderedAxis(leftAxis_, LeftAxis().Minimum, maximum);
}

void TChart::SetBottomAxisMinimum(double minimum) {
  SetOrderedAxis(bottomAxis_, minimum, BottomAxis().Maximum);
}

void TChart::SetBottomAxisMaximum(double maximum) {
  SetOrderedAxis(bottomAxis_, BottomAxis().Minimum, maximum);
}

void TChart::SetLeftAxisAutomatic() {
  leftAxis_.Automatic = true;
  Invalidate();
}

void TChart::SetBottomAxisAutomatic() {
  bottomAxis_.Automatic = true;
  Invalidate();
}

bool TChart::XDataExtent(double& lo, double& hi) const {
  bool any = false;
  for (const auto& series : series_) {
    if (series->Count() == 0) continue;
    const double first = static_cast<double>(series->FirstX());
    const double last = static_cast<double>(series->LastX());
    lo = any ? std::min(lo, first) : first;
    hi = any ? std::max(hi, last) : last;
    any = true;
  }
  return any;
}

// ---- Series ----

const std::vector<TColor>& TChart::AutomaticColors() {
  static const std::vector<TColor> colors = {
      clRed,  clGreen, clBlue, clFuchsia, clTeal, 0x0080FF /* orange */, clNavy, clMaroon,
      clPurple, clOlive, clLime, clGray, 0x8000FF /* rose */, clAqua, clBlack};
  return colors;
}

TFastLineSeries* TChart::AddSeries(int capacity) {
  const std::vector<TColor>& palette = AutomaticColors();
  TColor color = palette[series_.size() % palette.size()];
  // While the palette lasts, a colour that a remaining series has is not handed out twice.
  if (series_.size() < palette.size()) {
    for (TColor candidate : palette) {
      const bool taken = std::any_of(series_.begin(), series_.end(),
                                     [&](const auto& s) { return s->Color() == candidate; });
      if (!taken) {
        color = candidate;
        break;
      }
    }
  }
  TSeriesOwner& owner = *this;
  series_.push_back(std::make_unique<TFastLineSeries>(owner, capacity));
  series_.back()->SetColor(color);
  if (capacity <= 0) labelsUnbounded_ = true;
  labelWindow_ = std::max(labelWindow_, static_cast<std::size_t>(std::max(capacity, 0)));
  DataChanged();
  return series_.back().get();
}

void TChart::RemoveSeries(int index) {
  series_.erase(series_.begin() + index);
  UpdateLabelWindow();
  DataChanged();
}

void TChart::RemoveAllSeries() {
  series_.clear();
  labels_.clear();
  labelSource_ = nullptr;
  labelsFirstX_ = 0;
  UpdateLabelWindow();
  DataChanged();
}

// ---- Point labels ----

void TChart::UpdateLabelWindow() {
  labelWindow_ = 0;
  labelsUnbounded_ = false;
  for (const auto& series : series_) {
    labelsUnbounded_ = labelsUnbounded_ || series->Capacity() == 0;
    labelWindow_ = std::max(labelWindow_, static_cast<std::size_t>(series->Capacity()));
  }
}

void TChart::SetXLabel(std::int64_t x, const QString& label) {
  const std::size_t window = labelsUnbounded_ || labelWindow_ == 0
                                ? std::numeric_limits<std::size_t>::max()
                                : labelWindow_;
  if (labels_.empty()) labelsFirstX_ = x;
  if (x < labelsFirstX_) {
    // Before every label kept (a series restarted at 0): room is made while the window allows.
    const auto before = static_cast<std::size_t>(labelsFirstX_ - x);
    if (before + labels_.size() > window) return;
    labels_.insert(labels_.begin(), before, QString());
    labelsFirstX_ = x;
  }
  const auto offset = static_cast<std::size_t>(x - labelsFirstX_);
  if (offset < labels_.size()) {
    // Every series of a tick gives the same label: compare before assigning.
    if (labels_[offset] != label) labels_[offset] = label;
    return;
  }
  if (offset - labels_.size() >= window) {
    labels_.clear();  // a jump far ahead: nothing kept is still in the window
    labelsFirstX_ = x;
  }
  while (labelsFirstX_ + static_cast<std::int64_t>(labels_.size()) < x) labels_.emplace_back();
  labels_.push_back(label);
  while (labels_.size() > window) {
    labels_.pop_front();
    ++labelsFirstX_;
  }
}

QString TChart::XLabel(std::int64_t x) const {
  if (x < labelsFirstX_ || x - labelsFirstX_ >= static_cast<std::int64_t>(labels_.size())) {
    return labelSource_ ? labelSource_(x) : QString();
  }
  return labels_[static_cast<std::size_t>(x - labelsFirstX_)];
}

void TChart::SetXLabelSource(std::function<QString(std::int64_t x)> source) {
  labelSource_ = std::move(source);
  Invalidate();
}

// ---- Geometry ----

QRect TChart::PlotRect() const { return CurrentLayout().plot; }

double TChart::BottomAxisValueAt(int x) const {
  const Layout& layout = CurrentLayout();
  const Ranges& r = layout.ranges;
  return r.xMin + (x - layout.plot.left()) * (r.xMax - r.xMin) / std::max(1, layout.plot.width() - 1);
}

double TChart::LeftAxisValueAt(int y) const {
  const Layout& layout = CurrentLayout();
  const Ranges& r = layout.ranges;
  return r.yMin +
         (layout.plot.bottom() - y) * (r.yMax - r.yMin) / std::max(1, layout.plot.height() - 1);
}

int TChart::BottomAxisPixelOf(double value) const {
  const Layout& layout = CurrentLayout();
  const Ranges& r = layout.ranges;
  return layout.plot.left() +
         static_cast<int>(std::lround((value - r.xMin) * (layout.plot.width() - 1) / (r.xMax - r.xMin)));
}

int TChart::LeftAxisPixelOf(double value) const {
  const Layout& layout = CurrentLayout();
  const Ranges& r = layout.ranges;
  return layout.plot.bottom() -
         static_cast<int>(std::lround((value - r.yMin) * (layout.plot.height() - 1) / (r.yMax - r.yMin)));
}

// ---- Zoom and pan ----

void TChart::SaveScalesOnce() {
  if (!savedScales_) savedScales_ = Scales{leftAxis_, bottomAxis_};
}

void TChart::ZoomPercent(double percent) {
  if (!(percent > 0 && percent < kMaxZoomPercent)) return;
  const Ranges r = CurrentLayout().ranges;
  // 115: each end moves inward by 15 % of the span; 85: outward by 15 %.
  const double share = (percent - 100) / 100;
  const double dx = (r.xMax - r.xMin) * share;
  const double dy = (r.yMax - r.yMin) * share;
  SaveScalesOnce();
  SetAxis(bottomAxis_, r.xMin + dx, r.xMax - dx);
  SetAxis(leftAxis_, r.yMin + dy, r.yMax - dy);
  if (OnZoom) OnZoom();
}

void TChart::ZoomRect(const QRect& pixels) {
  const QRect r = pixels.normalized();
  const double xMin = BottomAxisValueAt(r.left());
  const double xMax = BottomAxisValueAt(r.right());
  const double yMin = LeftAxisValueAt(r.bottom());
  const double yMax = LeftAxisValueAt(r.top());
  SaveScalesOnce();
  SetAxis(bottomAxis_, xMin, xMax);
  SetAxis(leftAxis_, yMin, yMax);
  if (OnZoom) OnZoom();
}

void TChart::UndoZoom() {
  if (savedScales_) {
    leftAxis_ = savedScales_->left;
    bottomAxis_ = savedScales_->bottom;
    savedScales_.reset();
  }
  bottomAxis_.Automatic = true;
  Invalidate();
  if (OnUndoZoom) OnUndoZoom();
}

void TChart::PanBy(const QPoint& pixels) {
  const Layout& layout = CurrentLayout();
  const Ranges r = layout.ranges;
  // Dragging right shows what lies to the left; dragging down shows what lies above.
  const double dx = -pixels.x() * (r.xMax - r.xMin) / std::max(1, layout.plot.width() - 1);
  const double dy = pixels.y() * (r.yMax - r.yMin) / std::max(1, layout.plot.height() - 1);
  SaveScalesOnce();
  SetAxis(bottomAxis_, r.xMin + dx, r.xMax + dx);
  SetAxis(leftAxis_, r.yMin + dy, r.yMax + dy);
}

// ---- Mouse ----

void TChart::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (drag_ != Drag::None || !PlotRect().contains(at)) return;
  if (event->button() == Qt::LeftButton) drag_ = Drag::Zoom;
  if (event->button() == Qt::RightButton) drag_ = Drag::Pan;
  dragStart_ = dragLast_ = at;
}

void TChart::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  RunGuarded([&] {
    if (drag_ == Drag::Zoom) {
      dragLast_ = at;
      update();
    } else if (drag_ == Drag::Pan && at != dragLast_) {
      const QPoint delta = at - dragLast_;
      dragLast_ = at;
      PanBy(delta);
      if (OnScroll) OnScroll();
    }
  });
  if (OnMouseMove) RunGuarded([&] { OnMouseMove(event->modifiers(), at.x(), at.y()); });
}

void TChart::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const Drag drag = std::exchange(drag_, Drag::None);
  if (drag != Drag::Zoom) return;
  update();  // the dragged rectangle goes
  const QPoint moved = at - dragStart_;
  RunGuarded([&] {
    if (moved.x() >= kMinZoomDragPixels && moved.y() >= kMinZoomDragPixels) {
      ZoomRect(QRect(dragStart_, at));
    } else if (-moved.x() >= kMinZoomDragPixels) {
      UndoZoom();
    }
  });
}

// ---- Holding the picture ----

void TChart::BeginUpdate() { ++updateDepth_; }

void TChart::EndUpdate() {
  if (updateDepth_ == 0) return;
  // Repaints while the picture was held may have used up the request of the change: ask again.
  if (--updateDepth_ == 0 && cacheDirty_) update();
}

// ---- Cross-hair overlay ----

void TChart::SetCrossHair(const QPoint& at) {
  if (crossHair_ == at) return;
  if (crossHair_) UpdateLinesThrough(*crossHair_);
  crossHair_ = at;
  UpdateLinesThrough(at);
}

void TChart::ClearCrossHair() {
  if (!crossHair_) return;
  UpdateLinesThrough(*crossHair_);
  crossHair_.reset();
}

void TChart::SetCrossHairPen(TColor colorMask, Qt::PenStyle style) {
  crossHairMask_ = colorMask;
  crossHairStyle_ = style;
  if (crossHair_) UpdateLinesThrough(*crossHair_);
}

void TChart::UpdateLinesThrough(const QPoint& at) {
  update(QRect(at.x(), 0, 1, height()));
  update(QRect(0, at.y(), width(), 1));
}

void TChart::DrawCrossHair(QPainter& painter, const QRect& region) const {
  const QRect plot = cachePlot_ & cache_.rect();
  const QPoint at = *crossHair_;
  const TColor back = ToTColor(ToQColor(BackColor()));
  const QRgb pen = ToQColor((back ^ crossHairMask_) & 0xFFFFFF).rgb() & RGB_MASK;
  const std::vector<int> pattern = PenPattern(crossHairStyle_);
  const bool vertical = at.x() >= plot.left() && at.x() <= plot.right();
  const bool horizontal = at.y() >= plot.top() && at.y() <= plot.bottom();
  // As with an XOR pen, a pixel that both lines cover is toggled twice.
  auto shown = [&](int column, int row) {
    QRgb pixel = reinterpret_cast<const QRgb*>(cache_.constScanLine(row))[column];
    if (vertical && column == at.x() && PatternOn(pattern, row - cachePlot_.top())) pixel ^= pen;
    if (horizontal && row == at.y() && PatternOn(pattern, column - cachePlot_.left())) pixel ^= pen;
    return pixel;
  };
  auto drawLine = [&](const QRect& line) {
    const QRect part = line & region;
    if (part.isEmpty()) return;
    QImage pixels(part.size(), QImage::Format_RGB32);
    for (int row = part.top(); row <= part.bottom(); ++row) {
      auto* out = reinterpret_cast<QRgb*>(pixels.scanLine(row - part.top()));
      for (int column = part.left(); column <= part.right(); ++column) {
        out[column - part.left()] = shown(column, row);
      }
    }
    DrawImagePart(painter, part, pixels, QPoint(0, 0));
  };
  if (vertical) drawLine(QRect(at.x(), plot.top(), 1, plot.height()));
  if (horizontal) drawLine(QRect(plot.left(), at.y(), plot.width(), 1));
}

// ---- Changes and repaints ----

void TChart::Invalidate() {
  layout_.reset();
  cacheDirty_ = true;
  update();
}

void TChart::DataChanged() {
  // Thousands of points change per tick: one repaint request is enough for all of them.
  layout_.reset();
  if (cacheDirty_) return;
  cacheDirty_ = true;
  update();
}

void TChart::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Invalidate();
}

void TChart::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) Invalidate();
}

void TChart::paintEvent(QPaintEvent* event) {
  // A held picture is shown as it stood, unless there is none of the widget's size yet.
  if ((cacheDirty_ && updateDepth_ == 0) || cache_.size() != size()) RenderCache();
  QPainter painter(this);
  // Rectangle by rectangle: a moved cross-hair leaves four thin lines to paint, whose bounding
  // rectangle is the whole chart.
  for (const QRect& part : event->region()) {
    CopyPicture(painter, part);
    if (crossHair_) DrawCrossHair(painter, part);
  }
  if (drag_ == Drag::Zoom) {
    painter.setPen(QPen(ToQColor(ToTColor(ToQColor(BackColor())) ^ 0xFFFFFF), 1, Qt::DashLine));
    painter.drawRect(QRect(dragStart_, dragLast_).normalized());
  }
}

void TChart::CopyPicture(QPainter& painter, const QRect& part) const {
  DrawImagePart(painter, part, cache_, part.topLeft());
}

void TChart::DrawImagePart(QPainter& painter, const QRect& target, const QImage& source,
                           const QPoint& from) {
  // Qt's raster engine hands a copy of more than about a hundred rows to its thread pool, whose
  // wake-ups cost far more than the pixels of a thin column (a cross-hair's): such a column is
  // copied in bands that stay below that.
  constexpr int kThinColumn = 8;
  constexpr int kBandRows = 64;
  if (target.width() > kThinColumn) {
    painter.drawImage(target, source, QRect(from, target.size()));
    return;
  }
  for (int row = 0; row < target.height(); row += kBandRows) {
    const int rows = std::min(kBandRows, target.height() - row);
    painter.drawImage(QRect(target.left(), target.top() + row, target.width(), rows), source,
                      QRect(from.x(), from.y() + row, target.width(), rows));
  }
}

void TChart::RenderCache() {
  const Layout& layout = CurrentLayout();
  if (cache_.size() != size()) cache_ = QImage(size(), QImage::Format_RGB32);
  {
    QPainter painter(&cache_);
    painter.setFont(font());
    DrawChart(painter, layout);
  }
  cachePlot_ = layout.plot;
  cacheDirty_ = false;
  ++pictureDraws_;
  for (const auto& series : series_) {
    if (series->Active() && series->OnAfterDrawValues) RunGuarded(series->OnAfterDrawValues);
  }
}
