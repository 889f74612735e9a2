#include "platform/gui/FastLineSeries.h"

#include <algorithm>
#include <cmath>

namespace {

// Room of an unbounded series' first ring; it doubles whenever it is full.
constexpr int kFirstRoom = 256;

}  // namespace

TFastLineSeries::TFastLineSeries(TSeriesOwner& owner, int capacity)
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

void TFastLineSeries::AddValues(const float* first, int count, std::ptrdiff_t stride) {
  if (count <= 0) return;
  // A full ring drops its oldest points first: only the last `capacity` values can stay.
  if (capacity_ > 0 && count > capacity_) {
    first += static_cast<std::ptrdiff_t>(count - capacity_) * stride;
    firstX_ += count - capacity_;
    count = capacity_;
  }
  const int drop = capacity_ > 0 ? std::max(0, count_ + count - capacity_) : 0;
  head_ = drop > 0 ? Slot(drop) : head_;
  count_ -= drop;
  firstX_ += drop;
  while (count_ + count > static_cast<int>(y_.size())) Grow();
  const int size = static_cast<int>(y_.size());
  int slot = Slot(count_);
  for (int i = 0; i < count; ++i, first += stride) {
    y_[static_cast<std::size_t>(slot)] = *first;
    if (++slot == size) slot = 0;
  }
  count_ += count;
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

TPlotMapping::TPlotMapping(double xMin, double xMax, double yMin, double yMax, const QRectF& plot)
    : xMin_(xMin),
      xMax_(xMax),
      xScale_((plot.width() - 1) / (xMax - xMin)),
      columnOffset_(plot.left() - xMin * xScale_),
      yScale_((plot.height() - 1) / (yMax - yMin)),
      // yMin shows on the plot's bottom pixel row.
      rowOffset_(plot.top() + plot.height() - 1 + yMin * yScale_) {}

bool TPlotMapping::IndexRange(const TFastLineSeries& series, int& first, int& last) const {
  if (series.Count() == 0) return false;
  const double firstX = static_cast<double>(series.FirstX());
  const double lastIndex = series.Count() - 1;
  first = static_cast<int>(std::clamp(std::ceil(xMin_ - firstX) - 1, 0.0, lastIndex));
  last = static_cast<int>(std::clamp(std::floor(xMax_ - firstX) + 1, 0.0, lastIndex));
  return first <= last;
}

TPlotMapping TPlotMapping::ForColumns(int firstColumn, int lastColumn) const {
  // Two columns to spare: a point that rounds into a column may lie half a column beyond it.
  constexpr int kSpareColumns = 2;
  TPlotMapping part = *this;
  part.xMin_ = std::max(xMin_, (firstColumn - kSpareColumns - columnOffset_) / xScale_);
  part.xMax_ = std::min(xMax_, (lastColumn + kSpareColumns - columnOffset_) / xScale_);
  part.xMax_ = std::max(part.xMin_, part.xMax_);
  return part;
}

QPolygonF ColumnPolyline(const TFastLineSeries& series, double xMin, double xMax, double yMin,
                         double yMax, const QRectF& plot) {
  struct Column {
    int column;
    double first, low, high, last;
  };
  QPolygonF line;
  auto flush = [&line](const Column& c) {
    const double x = c.column;
    line << QPointF(x, c.first);
    if (c.low != c.first) line << QPointF(x, c.low);
    if (c.high != c.low) line << QPointF(x, c.high);
    if (c.last != c.high) line << QPointF(x, c.last);
  };
  bool open = false;
  Column now{};
  const TPlotMapping mapping(xMin, xMax, yMin, yMax, plot);
  auto columnOf = [&mapping](std::int64_t x) { return mapping.Column(x); };
  ForEachPlotPoint(series, mapping, columnOf, [&](int column, float value) {
    const double row = mapping.Row(value);
    if (open && column == now.column) {
      now.low = std::max(now.low, row);
      now.high = std::min(now.high, row);
      now.last = row;
      return;
    }
    if (open) flush(now);
    open = true;
    now = {column, row, row, row, row};
  });
  if (open) flush(now);
  return line;
}
