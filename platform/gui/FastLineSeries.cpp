#include "platform/gui/FastLineSeries.h"

#include <algorithm>
#include <cmath>

#include "platform/gui/Chart.h"

namespace {

// Room of an unbounded series' first ring; it doubles whenever it is full.
constexpr int kFirstRoom = 256;

}  // namespace

TFastLineSeries::TFastLineSeries(TChart& owner, int capacity)
    : owner_(owner), capacity_(std::max(capacity, 0)) {
  if (capacity_ > 0) y_.resize(static_cast<std::size_t>(capacity_));
}

QString TFastLineSeries::Label(int index) const { return owner_.XLabel(XValue(index)); }

void TFastLineSeries::Grow() {
  std::vector<float> larger(std::max<std::size_t>(kFirstRoom, 2 * y_.size()));
  for (int i = 0; i < count_; ++i) larger[static_cast<std::size_t>(i)] = y_[Slot(i)];
  y_.swap(larger);
  head_ = 0;
}

void TFastLineSeries::AddY(float y) {
  if (capacity_ > 0 && count_ == capacity_) DeleteFirst();
  if (count_ == static_cast<int>(y_.size())) Grow();
  y_[Slot(count_)] = y;
  ++count_;
  owner_.DataChanged();
}

void TFastLineSeries::AddY(float y, const QString& label) {
  AddY(y);
  owner_.SetXLabel(LastX(), label);
}

void TFastLineSeries::DeleteFirst() {
  if (count_ == 0) return;
  head_ = Slot(1);
  --count_;
  ++firstX_;
  owner_.DataChanged();
}

void TFastLineSeries::Clear() {
  head_ = 0;
  count_ = 0;
  firstX_ = 0;
  owner_.DataChanged();
}

void TFastLineSeries::SetColor(TColor color) {
  color_ = color;
  owner_.DataChanged();
}

void TFastLineSeries::SetActive(bool active) {
  active_ = active;
  owner_.DataChanged();
}

void TFastLineSeries::SetLineVisible(bool visible) {
  lineVisible_ = visible;
  owner_.DataChanged();
}

void TFastLineSeries::SetLineWidth(int width) {
  lineWidth_ = std::max(width, 1);
  owner_.DataChanged();
}

void TFastLineSeries::SetTitle(const QString& title) {
  title_ = title;
  owner_.DataChanged();
}

namespace {

// Keeps a value far outside the plot from overflowing the painter's integer coordinates.
constexpr double kCoordinateLimit = 1e6;

struct ColumnSpan {
  double first, low, high, last;
};

}  // namespace

QPolygonF ColumnPolyline(const TFastLineSeries& series, double xMin, double xMax, double yMin,
                         double yMax, const QRectF& plot) {
  QPolygonF line;
  if (series.Count() == 0) return line;
  const double xScale = (plot.width() - 1) / (xMax - xMin);
  const double yScale = (plot.height() - 1) / (yMax - yMin);
  const double bottomRow = plot.top() + plot.height() - 1;  // the pixel row of yMin
  // One point beyond each end of the range, so the line runs to the edges of the plot.
  const auto begin = static_cast<int>(
      std::clamp<double>(std::ceil(xMin - series.FirstX()) - 1, 0, series.Count() - 1));
  const auto end = static_cast<int>(
      std::clamp<double>(std::floor(xMax - series.FirstX()) + 1, 0, series.Count() - 1));
  line.reserve(std::min(end - begin + 1, 4 * (static_cast<int>(plot.width()) + 3)));

  long long column = 0;
  double columnX = 0;
  bool open = false;
  ColumnSpan span{};
  auto flush = [&] {
    line << QPointF(columnX, span.first);
    if (span.low != span.first) line << QPointF(columnX, span.low);
    if (span.high != span.low) line << QPointF(columnX, span.high);
    if (span.last != span.high) line << QPointF(columnX, span.last);
  };
  for (int i = begin; i <= end; ++i) {
    const float value = series.YValue(i);
    if (std::isnan(value)) continue;
    const double px = plot.left() + (static_cast<double>(series.XValue(i)) - xMin) * xScale;
    const double py = std::clamp(bottomRow - (value - yMin) * yScale, -kCoordinateLimit,
                                 kCoordinateLimit);
    const long long pixel = std::llround(std::clamp(px, -kCoordinateLimit, kCoordinateLimit));
    if (open && pixel == column) {
      // Screen Y grows downwards: the lowest value has the highest Y.
      span.low = std::max(span.low, py);
      span.high = std::min(span.high, py);
      span.last = py;
      continue;
    }
    if (open) flush();
    open = true;
    column = pixel;
    columnX = static_cast<double>(pixel);
    span = {py, py, py, py};
  }
  if (open) flush();
  return line;
}
