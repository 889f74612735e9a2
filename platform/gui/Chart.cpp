#include "platform/gui/Chart.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Range shown by an automatic axis without any point.
constexpr double kEmptyAxisMaximum = 1.0;
// Half the span given to an automatic axis whose points all have one value.
constexpr double kFlatRangeHalfSpan = 1.0;
// Significant digits of numeric axis labels.
constexpr int kLabelPrecision = 6;

QString NumberLabel(double value) {
  // Suppress "-0" and rounding noise such as 0.30000000000000004.
  if (std::fabs(value) < 1e-12) value = 0;
  return QString::number(value, 'g', kLabelPrecision);
}

void WidenFlatRange(double& minimum, double& maximum) {
  if (maximum > minimum) return;
  minimum -= kFlatRangeHalfSpan;
  maximum += kFlatRangeHalfSpan;
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

TChart::TChart(QWidget* parent) : QWidget(parent) {}

TChart::~TChart() = default;

void TChart::SetTitle(const QString& title) {
  title_ = title;
  DataChanged();
}

void TChart::SetTitleColor(TColor color) {
  titleColor_ = color;
  update();
}

void TChart::SetColor(TColor color) {
  color_ = color;
  DataChanged();
}

void TChart::SetBackColor(TColor color) {
  backColor_ = color;
  backWallFilled_ = true;
  DataChanged();
}

void TChart::SetLeftAxisMinMax(double minimum, double maximum) {
  leftAxis_ = {minimum, maximum, false};
  DataChanged();
}

void TChart::SetLeftAxisAutomatic() {
  leftAxis_.Automatic = true;
  DataChanged();
}

void TChart::SetBottomAxisMinMax(double minimum, double maximum) {
  bottomAxis_ = {minimum, maximum, false};
  DataChanged();
}

void TChart::SetBottomAxisAutomatic() {
  bottomAxis_.Automatic = true;
  DataChanged();
}

void TChart::VisibleRanges(double& xMin, double& xMax, double& yMin, double& yMax) const {
  double dataXMin = std::numeric_limits<double>::infinity();
  double dataXMax = -dataXMin;
  double dataYMin = dataXMin;
  double dataYMax = -dataXMin;
  if (leftAxis_.Automatic || bottomAxis_.Automatic) {
    for (const auto& series : series_) {
      if (!series->Active() || series->Count() == 0) continue;
      dataXMin = std::min(dataXMin, static_cast<double>(series->FirstX()));
      dataXMax = std::max(dataXMax, static_cast<double>(series->LastX()));
      if (!leftAxis_.Automatic) continue;
      for (int i = 0; i < series->Count(); ++i) {
        const double y = series->YValue(i);
        if (!std::isfinite(y)) continue;
        dataYMin = std::min(dataYMin, y);
        dataYMax = std::max(dataYMax, y);
      }
    }
  }
  if (dataXMin > dataXMax) {
    dataXMin = 0;
    dataXMax = kEmptyAxisMaximum;
  }
  if (dataYMin > dataYMax) {
    dataYMin = 0;
    dataYMax = kEmptyAxisMaximum;
  }
  xMin = bottomAxis_.Automatic ? dataXMin : bottomAxis_.Minimum;
  xMax = bottomAxis_.Automatic ? dataXMax : bottomAxis_.Maximum;
  yMin = leftAxis_.Automatic ? dataYMin : leftAxis_.Minimum;
  yMax = leftAxis_.Automatic ? dataYMax : leftAxis_.Maximum;
  WidenFlatRange(xMin, xMax);
  WidenFlatRange(yMin, yMax);
}

TFastLineSeries* TChart::AddSeries(int capacity) {
  series_.push_back(std::make_unique<TFastLineSeries>(*this, capacity));
  labelWindow_ = std::max(labelWindow_, series_.back()->Capacity());
  DataChanged();
  return series_.back().get();
}

void TChart::RemoveAllSeries() {
  series_.clear();
  labels_.clear();
  labelsFirstX_ = 0;
  labelWindow_ = 0;
  DataChanged();
}

void TChart::SetXLabel(std::int64_t x, const QString& label) {
  if (labels_.empty()) labelsFirstX_ = x;
  if (x < labelsFirstX_) return;  // older than every point kept
  const auto offset = static_cast<std::size_t>(x - labelsFirstX_);
  if (offset < labels_.size()) {
    if (labels_[offset] != label) labels_[offset] = label;
    return;
  }
  if (offset - labels_.size() >= static_cast<std::size_t>(std::max(labelWindow_, 1))) {
    labels_.clear();  // a jump far ahead: nothing kept is still in the window
    labelsFirstX_ = x;
  }
  while (labelsFirstX_ + static_cast<std::int64_t>(labels_.size()) < x) labels_.emplace_back();
  labels_.push_back(label);
  while (labels_.size() > static_cast<std::size_t>(std::max(labelWindow_, 1))) {
    labels_.pop_front();
    ++labelsFirstX_;
  }
}

QString TChart::XLabel(std::int64_t x) const {
  if (x < labelsFirstX_ || x - labelsFirstX_ >= static_cast<std::int64_t>(labels_.size())) {
    return QString();
  }
  return labels_[static_cast<std::size_t>(x - labelsFirstX_)];
}

QRect TChart::PlotRect(const QRect& bounds) const {
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  VisibleRanges(xMin, xMax, yMin, yMax);
  return PlotRect(bounds, yMin, yMax);
}

QRect TChart::PlotRect(const QRect& bounds, double yMin, double yMax) const {
  const QFontMetrics metrics = fontMetrics();
  int labelWidth = 0;
  for (double tick : AxisTicks(yMin, yMax, 10)) {
    labelWidth = std::max(labelWidth, metrics.horizontalAdvance(NumberLabel(tick)));
  }
  const int top = kFrameWidth + kMargin + (title_.isEmpty() ? 0 : metrics.height() + kMargin);
  const int left = kFrameWidth + kMargin + labelWidth + kTickLength + 2;
  const int bottom = kFrameWidth + kMargin + metrics.height() + kTickLength + 2;
  const int right = kFrameWidth + kMargin + metrics.averageCharWidth() * 10;
  return bounds.adjusted(left, top, -right, -bottom);
}

void TChart::Draw(QPainter& painter, const QRect& bounds) const {
  DrawFrameAndTitle(painter, bounds);
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  VisibleRanges(xMin, xMax, yMin, yMax);
  const QRect plot = PlotRect(bounds, yMin, yMax);
  if (plot.width() < 2 || plot.height() < 2) return;
  DrawPlot(painter, plot, xMin, xMax, yMin, yMax);
  DrawAxes(painter, plot, xMin, xMax, yMin, yMax);
}

void TChart::DataChanged() {
  // Thousands of points change per tick: one repaint request is enough for all of them.
  if (plotDirty_) return;
  plotDirty_ = true;
  update();
}

void TChart::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect bounds = rect();
  DrawFrameAndTitle(painter, bounds);
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  VisibleRanges(xMin, xMax, yMin, yMax);
  const QRect plot = PlotRect(bounds, yMin, yMax);
  if (plot.width() < 2 || plot.height() < 2) return;
  if (plotDirty_ || plotCache_.size() != plot.size()) {
    RenderPlotCache(plot, xMin, xMax, yMin, yMax);
  }
  painter.drawImage(plot.topLeft(), plotCache_);
  DrawAxes(painter, plot, xMin, xMax, yMin, yMax);
}

void TChart::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  plotDirty_ = true;
}

void TChart::RenderPlotCache(const QRect& plot, double xMin, double xMax, double yMin,
                             double yMax) {
  plotCache_ = QImage(plot.size(), QImage::Format_ARGB32_Premultiplied);
  plotCache_.fill(ToQColor(color_));
  QPainter painter(&plotCache_);
  DrawPlot(painter, QRect(QPoint(0, 0), plot.size()), xMin, xMax, yMin, yMax);
  plotDirty_ = false;
}

QString TChart::BottomLabel(double tick) const {
  const QString text = XLabel(std::llround(tick));
  return text.trimmed().isEmpty() ? NumberLabel(tick) : text;
}

std::vector<double> TChart::BottomTicks(const QFontMetrics& metrics, double xMin, double xMax,
                                        int length, int& labelWidth) const {
  // Fewer ticks until their labels fit side by side (a few rounds settle it).
  constexpr int kFitRounds = 4;
  int maxTicks = std::max(1, length / (metrics.averageCharWidth() * 3 + kLabelGap));
  std::vector<double> ticks;
  for (int round = 0; round < kFitRounds; ++round) {
    ticks = AxisTicks(xMin, xMax, maxTicks);
    labelWidth = 0;
    for (double tick : ticks) {
      labelWidth = std::max(labelWidth, metrics.horizontalAdvance(BottomLabel(tick)));
    }
    const int fitting = std::max(1, length / (labelWidth + kLabelGap));
    if (static_cast<int>(ticks.size()) <= fitting || maxTicks == 1) break;
    maxTicks = std::max(1, std::min(maxTicks - 1, fitting));
  }
  return ticks;
}

void TChart::DrawFrameAndTitle(QPainter& painter, const QRect& bounds) const {
  painter.fillRect(bounds, ToQColor(color_));
  const QColor light = ToQColor(clWhite);
  const QColor dark = ToQColor(clGray);
  painter.setPen(light);
  painter.drawLine(bounds.topLeft(), bounds.topRight());
  painter.drawLine(bounds.topLeft(), bounds.bottomLeft());
  painter.setPen(dark);
  painter.drawLine(bounds.bottomLeft(), bounds.bottomRight());
  painter.drawLine(bounds.topRight(), bounds.bottomRight());
  if (title_.isEmpty()) return;
  const QRect titleRect(bounds.left(), bounds.top() + kFrameWidth + kMargin, bounds.width(),
                        painter.fontMetrics().height());
  painter.setPen(ToQColor(titleColor_));
  painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter, title_);
}

void TChart::DrawPlot(QPainter& painter, const QRect& plot, double xMin, double xMax, double yMin,
                      double yMax) const {
  painter.save();
  painter.setClipRect(plot);
  if (backWallFilled_) painter.fillRect(plot, ToQColor(backColor_));
  for (const auto& series : series_) {
    if (!series->Active()) continue;
    const QPolygonF line = ColumnPolyline(*series, xMin, xMax, yMin, yMax, QRectF(plot));
    QPen pen(ToQColor(series->Color()), series->LineWidth());
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawPolyline(line);
  }
  painter.restore();
}

void TChart::DrawAxes(QPainter& painter, const QRect& plot, double xMin, double xMax, double yMin,
                      double yMax) const {
  painter.save();
  const QFontMetrics metrics = painter.fontMetrics();
  painter.setPen(ToQColor(clBlack));
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());

  const int rowHeight = metrics.height();
  const int maxYTicks = std::max(1, plot.height() / (rowHeight + kLabelGap));
  for (double tick : AxisTicks(yMin, yMax, maxYTicks)) {
    const int y = plot.bottom() -
                  static_cast<int>(std::lround((tick - yMin) / (yMax - yMin) * (plot.height() - 1)));
    painter.drawLine(plot.left() - kTickLength, y, plot.left(), y);
    const QRect label(0, y - rowHeight / 2, plot.left() - kTickLength - 2, rowHeight);
    painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, NumberLabel(tick));
  }

  int labelWidth = 0;
  const std::vector<double> xTicks = BottomTicks(metrics, xMin, xMax, plot.width(), labelWidth);
  for (double tick : xTicks) {
    const int x = plot.left() +
                  static_cast<int>(std::lround((tick - xMin) / (xMax - xMin) * (plot.width() - 1)));
    painter.drawLine(x, plot.bottom(), x, plot.bottom() + kTickLength);
    const QRect label(x - labelWidth, plot.bottom() + kTickLength + 2, 2 * labelWidth, rowHeight);
    painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop, BottomLabel(tick));
  }
  painter.restore();
}
