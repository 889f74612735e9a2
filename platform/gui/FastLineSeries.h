#pragma once
// TFastLineSeries: one curve of a TChart. Its points have X values rising by 1 from point to point
// and float Y values; they are kept in a ring, so dropping the oldest point and appending a new
// one (a trend scrolling by one point per tick) moves no memory.
//
// A series either keeps at most Capacity() points (appending to a full series drops its oldest
// point) or, with capacity 0, grows without limit (a history page or a searched window).
//
// Point labels are not stored in the series: they belong to the chart per X position and are
// shared by every series of the chart (all curves of one chart have the same X positions), so
// 5,760 curves of 1,000 points carry one label per X, not one per point. A series that is given
// no label reads the label another series gave to the same X.
//
// A series belongs to its chart (TChart::AddSeries) and lives until the chart removes it. GUI
// thread only.

#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/gui/Colors.h"

// What a series needs of the chart it belongs to: the labels the chart keeps per X position for
// all its series, and a redraw of the picture after any change of a series. TChart is one.
class TSeriesOwner {
 public:
  // The label of X (empty when none).
  virtual QString XLabel(std::int64_t x) const = 0;
  virtual void SetXLabel(std::int64_t x, const QString& label) = 0;
  // Called by the series after a change: the picture is redrawn at the next repaint.
  virtual void DataChanged() = 0;

 protected:
  ~TSeriesOwner() = default;
};

class TFastLineSeries {
 public:
  // Made by TChart::AddSeries. capacity 0: no limit.
  TFastLineSeries(TSeriesOwner& owner, int capacity);
  TFastLineSeries(const TFastLineSeries&) = delete;
  TFastLineSeries& operator=(const TFastLineSeries&) = delete;

  // The most points kept; 0 when the series grows without limit.
  int Capacity() const { return capacity_; }
  int Count() const { return count_; }
  // Point `index` counts from the oldest point (0) to the newest (Count() - 1).
  // REQUIRES: 0 <= index < Count().
  std::int64_t XValue(int index) const { return firstX_ + index; }
  float YValue(int index) const { return y_[Slot(index)]; }
  // The values of points `first` up to `last`, or up to where the ring wraps if that comes
  // first, as they lie one after another in memory: two calls cover any range. For loops over
  // many points. REQUIRES: 0 <= first <= last < Count().
  std::span<const float> ContiguousValues(int first, int last) const {
    const int slot = Slot(first);
    const int wrap = static_cast<int>(y_.size()) - slot;
    return {y_.data() + slot, static_cast<std::size_t>(std::min(last - first + 1, wrap))};
  }
  // The chart's label of the point's X position (empty when none was given).
  QString Label(int index) const;
  // X of the oldest and of the newest point (LastX() = FirstX() - 1 when the series is empty).
  std::int64_t FirstX() const { return firstX_; }
  std::int64_t LastX() const { return firstX_ + count_ - 1; }

  // Appends a point at X = LastX() + 1 (0 for a new or cleared series); a full series first drops
  // its oldest point. The label, when given, becomes the chart's label of that X.
  void AddY(float y);
  void AddY(float y, const QString& label);
  // Appends `count` points without labels, as AddY would one after the other, whose values lie
  // `stride` floats apart from `first` on (one channel of a block of records, for one).
  void AddValues(const float* first, int count, std::ptrdiff_t stride = 1);
  // Drops the oldest point; nothing happens to an empty series.
  void DeleteFirst();
  // Removes every point; the next point gets X = 0.
  void Clear();

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // An inactive series is not drawn and takes no part in the automatic axis ranges.
  bool Active() const { return active_; }
  void SetActive(bool active);
  // A series whose line is hidden stays active: it keeps its points, its legend entry and its
  // part in the automatic ranges, and its AfterDrawValues still runs; only the line is not drawn.
  bool LineVisible() const { return lineVisible_; }
  void SetLineVisible(bool visible);
  // Line width in pixels, at least 1.
  int LineWidth() const { return lineWidth_; }
  void SetLineWidth(int width);
  // The series' name in the chart's legend.
  const QString& Title() const { return title_; }
  void SetTitle(const QString& title);

  // Called after the chart has drawn this (active) series on the screen, which also means that
  // anything drawn over the old picture, a cross-hair for one, is gone. Runs inside the chart's
  // repaint: it must not change the chart's data. Empty by default.
  std::function<void()> OnAfterDrawValues;

 private:
  int Slot(int index) const {
    const int slot = head_ + index;
    const int size = static_cast<int>(y_.size());
    return slot >= size ? slot - size : slot;
  }
  void Grow();

  TSeriesOwner& owner_;
  int capacity_;
  std::vector<float> y_;  // the ring; its size is the room, not the count
  int head_ = 0;          // slot of the oldest point
  int count_ = 0;
  std::int64_t firstX_ = 0;
  TColor color_ = clRed;
  bool active_ = true;
  bool lineVisible_ = true;
  int lineWidth_ = 1;
  QString title_;
};

// Where the points of a series fall in `plot` while the axes show [xMin, xMax] and [yMin, yMax]:
// a point's column is its X mapped onto the plot's pixel columns and rounded to the nearest; its
// row is the screen Y of its value, not rounded (Y grows downwards: the lowest value has the
// largest row). Values far off are held within a million pixels of the plot, so that no pixel
// arithmetic overflows. REQUIRES xMax > xMin and yMax > yMin.
class TPlotMapping {
 public:
  TPlotMapping(double xMin, double xMax, double yMin, double yMax, const QRectF& plot);

  int Column(std::int64_t x) const {
    const double pixel = Limited(static_cast<double>(x) * xScale_ + columnOffset_);
    // Rounded half up by truncating a shifted, positive value: std::llround is a library call,
    // and this runs for every point of every curve.
    return static_cast<int>(static_cast<long long>(pixel + kShift + 0.5) - kShiftWhole);
  }
  double Row(float value) const { return Limited(rowOffset_ - value * yScale_); }
  // The points of `series` that the line through the plot needs: those with X in [xMin, xMax]
  // and one beyond each end, so the line reaches the plot's edges. False when there is none.
  bool IndexRange(const TFastLineSeries& series, int& first, int& last) const;
  // The same mapping, whose IndexRange gives only the points that the line through the columns
  // firstColumn..lastColumn needs (with columns to spare at each side, so that every point of
  // those columns and of their neighbours is among them). REQUIRES firstColumn <= lastColumn.
  TPlotMapping ForColumns(int firstColumn, int lastColumn) const;

 private:
  static constexpr double kLimit = 1e6;
  static constexpr long long kShiftWhole = 1000001;  // makes every limited pixel positive
  static constexpr double kShift = static_cast<double>(kShiftWhole);
  // std::clamp would compile to branches.
  static double Limited(double pixel) { return std::min(std::max(pixel, -kLimit), kLimit); }

  double xMin_, xMax_;
  double xScale_, columnOffset_;  // column = x * xScale_ + columnOffset_
  double yScale_, rowOffset_;     // row = rowOffset_ - value * yScale_
};

// Calls visit(columnOf(x), value) for each point (x, value) of `series` that the line through the
// plot needs (TPlotMapping::IndexRange), oldest first, so columns never decrease; NaN values are
// skipped. columnOf(x) must give mapping.Column(x), worked out or looked up; it is taken by value,
// so that what it captures (a table's address) stays in registers rather than being read again
// through a reference after every write of the visitor. The value is handed over rather than its
// row, so that a caller gathering many points per column converts only the few it keeps. A
// template so that the callers' work compiles into the loop over the points.
template <typename ColumnOf, typename Visit>
void ForEachPlotPoint(const TFastLineSeries& series, const TPlotMapping& mapping, ColumnOf columnOf,
                      Visit&& visit) {
  int index = 0;
  int last = 0;
  if (!mapping.IndexRange(series, index, last)) return;
  while (index <= last) {
    const std::span<const float> values = series.ContiguousValues(index, last);
    std::int64_t x = series.XValue(index);
    for (const float value : values) {
      if (!std::isnan(value)) visit(columnOf(x), value);
      ++x;
    }
    index += static_cast<int>(values.size());
  }
}

// The line as a polyline for QPainter: where several points fall into one pixel column it keeps
// only the first, lowest, highest and last of them (repeats left out), so it costs at most four
// points per column however many points the series holds, and still shows every spike.
// REQUIRES xMax > xMin and yMax > yMin.
QPolygonF ColumnPolyline(const TFastLineSeries& series, double xMin, double xMax, double yMin,
                         double yMax, const QRectF& plot);
