// TChart: layout and drawing of the picture (frame, title, back wall, series, axes, legend).

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "platform/gui/Chart.h"
#include "platform/gui/ChartRaster.h"

namespace {

// Decimals of the axis labels.
constexpr int kLabelDecimals = 3;
// Legend: the colour line before each title, the gap after it and between entries.
constexpr int kLegendLineLength = 14;
constexpr int kLegendLineWidth = 2;
constexpr int kLegendGap = 4;
constexpr int kLegendItemGap = 12;
// The legend takes at most this share of the chart's height; entries beyond it are left out.
constexpr int kLegendMaxHeightDivisor = 3;
// Room right of the plot for half of the last bottom-axis label, in average characters.
constexpr int kRightRoomChars = 10;

// Digits with a comma between each group of three: "1234567" -> "1,234,567".
QString GroupThousands(const QString& digits) {
  QString grouped;
  const int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) grouped += QLatin1Char(',');
    grouped += digits[i];
  }
  return grouped;
}

// Stripes of the plot drawn at the same time (TLineRaster's cost grows with the points): one
// for a small picture, where starting threads would cost more than it saves.
constexpr std::int64_t kPointsPerStripe = 250000;
constexpr int kMaxStripes = 4;

int RasterStripes(std::int64_t points) {
  // Asked once: the C library reads a /sys file on every call, and this runs on every repaint.
  static const auto cores = static_cast<std::int64_t>(std::thread::hardware_concurrency());
  return static_cast<int>(std::clamp<std::int64_t>(
      std::min<std::int64_t>(points / kPointsPerStripe, cores), 1, kMaxStripes));
}

}  // namespace

QString TChart::LeftAxisLabelText(double value) {
  if (!std::isfinite(value)) return QString::number(value);
  QString text = QString::number(std::fabs(value), 'f', kLabelDecimals);
  const qsizetype point = text.indexOf(QLatin1Char('.'));
  QString fraction = text.mid(point + 1);
  while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
  text = GroupThousands(text.left(point));
  if (!fraction.isEmpty()) text += QLatin1Char('.') + fraction;
  // No "-0" for a value that rounds to zero.
  if (value < 0 && text != QLatin1String("0")) text.prepend(QLatin1Char('-'));
  return text;
}

const TChart::Layout& TChart::CurrentLayout() const {
  if (!layout_) {
    layout_ = std::make_unique<Layout>(
        MakeLayout(rect(), fontMetrics(), QFontMetrics(TitleFont(), this)));
  }
  return *layout_;
}

TChart::Layout TChart::MakeLayout(const QRect& bounds, const QFontMetrics& metrics,
                                  const QFontMetrics& titleMetrics) const {
  Layout layout;
  layout.bounds = bounds;
  layout.ranges = VisibleRanges();
  const int inset = kFrameWidth + kMargin;
  int top = bounds.top() + inset;
  if (!title_.isEmpty()) {
    layout.title = QRect(bounds.left(), top, bounds.width(), titleMetrics.height());
    top += titleMetrics.height() + kMargin;
  }
  int bottom = bounds.bottom() - inset;
  LayOutLegend(layout, metrics, bottom);
  bottom -= metrics.height() + kTickLength + 2;

  const Ranges& r = layout.ranges;
  const int maxYTicks = std::max(1, (bottom - top) / (metrics.height() + kLabelGap));
  layout.yTicks = AxisTicks(r.yMin, r.yMax, maxYTicks);
  int labelWidth = 0;
  for (double tick : layout.yTicks) {
    labelWidth = std::max(labelWidth, metrics.horizontalAdvance(LeftAxisLabelText(tick)));
  }
  const int left = bounds.left() + inset + labelWidth + kTickLength + 2;
  const int right = bounds.right() - inset - metrics.averageCharWidth() * kRightRoomChars;
  layout.plot = QRect(QPoint(left, top), QPoint(right, bottom));
  layout.xTicks = BottomTicks(metrics, r, layout.plot.width(), layout.xLabelWidth);
  FitBottomLabels(layout, metrics);
  return layout;
}

void TChart::FitBottomLabels(Layout& layout, const QFontMetrics& metrics) const {
  // A label is centred on its tick: one near either end of a long axis (a time label on the
  // first point, under narrow value labels) would reach past the chart's frame. The plot gives
  // way until every label lies whole inside the frame; a few rounds settle it, as the ticks
  // may change with the plot's width.
  constexpr int kFitRounds = 4;
  const int leftLimit = layout.bounds.left() + kFrameWidth;
  const int rightLimit = layout.bounds.right() - kFrameWidth;
  for (int round = 0; round < kFitRounds; ++round) {
    int pastLeft = 0;
    int pastRight = 0;
    for (double tick : layout.xTicks) {
      const int x = BottomTickPixel(layout, tick);
      // One pixel more on each side: glyphs may stand out of their advance by a pixel.
      const int half = metrics.horizontalAdvance(BottomLabel(tick)) / 2 + 2;
      pastLeft = std::max(pastLeft, leftLimit - (x - half));
      pastRight = std::max(pastRight, x + half - rightLimit);
    }
    if (pastLeft <= 0 && pastRight <= 0) return;
    QRect& plot = layout.plot;
    if (plot.width() - pastLeft - pastRight < 2) return;  // no room to give
    plot.setLeft(plot.left() + std::max(pastLeft, 0));
    plot.setRight(plot.right() - std::max(pastRight, 0));
    layout.xTicks = BottomTicks(metrics, layout.ranges, plot.width(), layout.xLabelWidth);
  }
}

int TChart::BottomTickPixel(const Layout& layout, double tick) {
  const QRect& plot = layout.plot;
  const Ranges& r = layout.ranges;
  return plot.left() +
         static_cast<int>(std::lround((tick - r.xMin) / (r.xMax - r.xMin) * (plot.width() - 1)));
}

void TChart::LayOutLegend(Layout& layout, const QFontMetrics& metrics, int& bottom) const {
  if (!legendVisible_ || series_.empty()) return;
  const int inset = kFrameWidth + kMargin;
  const QRect& bounds = layout.bounds;
  const int width = bounds.width() - 2 * inset;
  const int rowHeight = metrics.height();
  const int maxRows = std::max(1, bounds.height() / kLegendMaxHeightDivisor / rowHeight);
  int row = 0;
  int x = 0;
  for (int i = 0; i < SeriesCount(); ++i) {
    const int itemWidth = kLegendLineLength + kLegendGap +
                          metrics.horizontalAdvance(series_[i]->Title()) + kLegendItemGap;
    if (x > 0 && x + itemWidth > width) {
      ++row;
      x = 0;
    }
    if (row >= maxRows) break;
    layout.legendItems.push_back({QRect(x, row * rowHeight, itemWidth, rowHeight), i});
    x += itemWidth;
  }
  const int rows = layout.legendItems.empty() ? 0 : layout.legendItems.back().rect.y() / rowHeight + 1;
  const int height = rows * rowHeight;
  layout.legend = QRect(bounds.left() + inset, bottom - height + 1, width, height);
  for (LegendItem& item : layout.legendItems) item.rect.translate(layout.legend.topLeft());
  bottom -= height + kMargin;
}

QString TChart::BottomLabel(double tick) const {
  const QString text = XLabel(std::llround(tick));
  if (bottomLabelStyle_ == TAxisLabelStyle::Mark || !text.isEmpty()) return text;
  return LeftAxisLabelText(tick);
}

std::vector<double> TChart::BottomTicks(const QFontMetrics& metrics, const Ranges& ranges,
                                        int length, int& labelWidth) const {
  // Fewer ticks until their labels fit side by side (a few rounds settle it).
  constexpr int kFitRounds = 4;
  int maxTicks = std::max(1, length / (metrics.averageCharWidth() * 3 + kLabelGap));
  std::vector<double> ticks;
  for (int round = 0; round < kFitRounds; ++round) {
    ticks = AxisTicks(ranges.xMin, ranges.xMax, maxTicks);
    if (bottomLabelStyle_ == TAxisLabelStyle::Mark) {
      // Point labels stand at whole X positions only.
      std::erase_if(ticks, [](double t) { return std::fabs(t - std::round(t)) > 1e-9; });
    }
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

void TChart::Draw(QPainter& painter, const QRect& bounds) const {
  painter.save();
  painter.setFont(font());
  const Layout layout =
      MakeLayout(bounds, painter.fontMetrics(), QFontMetrics(TitleFont(), painter.device()));
  DrawChart(painter, layout);
  painter.restore();
}

void TChart::DrawChart(QPainter& painter, const Layout& layout) const {
  const QRect& bounds = layout.bounds;
  painter.fillRect(bounds, ToQColor(color_));
  painter.setPen(ToQColor(clWhite));
  painter.drawLine(bounds.topLeft(), bounds.topRight());
  painter.drawLine(bounds.topLeft(), bounds.bottomLeft());
  painter.setPen(ToQColor(clGray));
  painter.drawLine(bounds.bottomLeft(), bounds.bottomRight());
  painter.drawLine(bounds.topRight(), bounds.bottomRight());
  DrawTitle(painter, layout);
  if (layout.plot.width() < 2 || layout.plot.height() < 2) return;
  if (backWallFilled_) painter.fillRect(layout.plot, ToQColor(backColor_));
  DrawSeries(painter, layout);
  DrawAxes(painter, layout);
  DrawLegend(painter, layout);
}

void TChart::DrawTitle(QPainter& painter, const Layout& layout) const {
  if (title_.isEmpty()) return;
  painter.save();
  painter.setFont(TitleFont());
  painter.setPen(ToQColor(titleColor_));
  painter.drawText(layout.title, Qt::AlignHCenter | Qt::AlignVCenter, title_);
  painter.restore();
}

void TChart::DrawSeries(QPainter& painter, const Layout& layout) const {
  QImage* image = RasterTarget(painter);
  painter.save();
  painter.setClipRect(layout.plot);
  const int count = SeriesCount();
  int i = 0;
  while (i < count) {
    if (!IsDrawn(*series_[i])) {
      ++i;
    } else if (image != nullptr && series_[i]->LineWidth() == 1) {
      i = RasterizeThinRun(*image, layout, i);
    } else {
      PaintSeries(painter, layout, *series_[i]);
      ++i;
    }
  }
  painter.restore();
}

bool TChart::IsDrawn(const TFastLineSeries& series) {
  return series.Active() && series.LineVisible();
}

QImage* TChart::RasterTarget(QPainter& painter) {
  QPaintDevice* device = painter.device();
  if (device == nullptr || device->devType() != QInternal::Image) return nullptr;
  auto* image = static_cast<QImage*>(device);
  // Anything that would make QPainter's pixels differ from plain opaque 1-pixel lines, and a
  // shared image, which the raster's first write would copy away from under the painter.
  const bool plain = painter.deviceTransform().isIdentity() && !painter.hasClipping() &&
                     painter.opacity() == 1.0 &&
                     painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
                     !painter.testRenderHint(QPainter::Antialiasing) && image->isDetached();
  return plain && TLineRaster::Supports(*image) ? image : nullptr;
}

int TChart::RasterizeThinRun(QImage& image, const Layout& layout, int first) const {
  const int count = SeriesCount();
  int end = first;
  while (end < count && (!IsDrawn(*series_[end]) || series_[end]->LineWidth() == 1)) ++end;
  const Ranges& r = layout.ranges;
  const TPlotMapping mapping(r.xMin, r.xMax, r.yMin, r.yMax, QRectF(layout.plot));
  // The raster takes the series front to back: the last one drawn shows on top.
  std::vector<TRasterLine> lines;
  // The stripes follow the points on screen, not those held: a zoomed page of long series
  // draws a few thousand points, where threads would cost more than they save.
  std::int64_t points = 0;
  for (int i = end - 1; i >= first; --i) {
    const TFastLineSeries& series = *series_[i];
    if (!IsDrawn(series)) continue;
    lines.push_back({&series, ToQColor(series.Color()).rgb()});
    int firstIndex = 0;
    int lastIndex = 0;
    if (mapping.IndexRange(series, firstIndex, lastIndex)) points += lastIndex - firstIndex + 1;
  }
  DrawLines(image, layout.plot, mapping, lines, RasterStripes(points));
  return end;
}

void TChart::PaintSeries(QPainter& painter, const Layout& layout,
                         const TFastLineSeries& series) const {
  const Ranges& r = layout.ranges;
  const QPolygonF line =
      ColumnPolyline(series, r.xMin, r.xMax, r.yMin, r.yMax, QRectF(layout.plot));
  QPen pen(ToQColor(series.Color()), series.LineWidth());
  pen.setCosmetic(true);
  painter.setPen(pen);
  painter.drawPolyline(line);
}

void TChart::DrawAxes(QPainter& painter, const Layout& layout) const {
  const QRect& plot = layout.plot;
  const Ranges& r = layout.ranges;
  painter.save();
  const QFontMetrics metrics = painter.fontMetrics();
  painter.setPen(ToQColor(clBlack));
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());

  const int rowHeight = metrics.height();
  for (double tick : layout.yTicks) {
    const int y = plot.bottom() -
                  static_cast<int>(std::lround((tick - r.yMin) / (r.yMax - r.yMin) * (plot.height() - 1)));
    painter.drawLine(plot.left() - kTickLength, y, plot.left(), y);
    const QRect label(layout.bounds.left(), y - rowHeight / 2,
                      plot.left() - kTickLength - 2 - layout.bounds.left(), rowHeight);
    painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, LeftAxisLabelText(tick));
  }
  const int labelWidth = layout.xLabelWidth;
  for (double tick : layout.xTicks) {
    const int x = BottomTickPixel(layout, tick);
    painter.drawLine(x, plot.bottom(), x, plot.bottom() + kTickLength);
    const QRect label(x - labelWidth, plot.bottom() + kTickLength + 2, 2 * labelWidth, rowHeight);
    painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop, BottomLabel(tick));
  }
  painter.restore();
}

void TChart::DrawLegend(QPainter& painter, const Layout& layout) const {
  if (layout.legendItems.empty()) return;
  painter.save();
  for (const LegendItem& item : layout.legendItems) {
    const TFastLineSeries& series = *series_[item.series];
    const int middle = item.rect.center().y();
    painter.setPen(QPen(ToQColor(series.Color()), kLegendLineWidth));
    painter.drawLine(item.rect.left(), middle, item.rect.left() + kLegendLineLength, middle);
    painter.setPen(ToQColor(clBlack));
    const QRect text = item.rect.adjusted(kLegendLineLength + kLegendGap, 0, -kLegendItemGap, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, series.Title());
  }
  painter.restore();
}
