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

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gui/Colors.h"

class TChart;

class TFastLineSeries {
 public:
  // Made by TChart::AddSeries. capacity 0: no limit.
  TFastLineSeries(TChart& owner, int capacity);
  TFastLineSeries(const TFastLineSeries&) = delete;
  TFastLineSeries& operator=(const TFastLineSeries&) = delete;

  // The most points kept; 0 when the series grows without limit.
  int Capacity() const { return capacity_; }
  int Count() const { return count_; }
  // Point `index` counts from the oldest point (0) to the newest (Count() - 1).
  // REQUIRES: 0 <= index < Count().
  std::int64_t XValue(int index) const { return firstX_ + index; }
  float YValue(int index) const { return y_[Slot(index)]; }
  // The chart's label of the point's X position (empty when none was given).
  QString Label(int index) const;
  // X of the oldest and of the newest point (LastX() = FirstX() - 1 when the series is empty).
  std::int64_t FirstX() const { return firstX_; }
  std::int64_t LastX() const { return firstX_ + count_ - 1; }

  // Appends a point at X = LastX() + 1 (0 for a new or cleared series); a full series first drops
  // its oldest point. The label, when given, becomes the chart's label of that X.
  void AddY(float y);
  void AddY(float y, const QString& label);
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

  TChart& owner_;
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

// The line that draws the points of `series` with X in [xMin, xMax] and Y in [yMin, yMax] into
// `plot`: where several points fall into one pixel column it keeps only the first, lowest,
// highest and last of them, so the line costs at most four points per column however many
// points the series holds, and still shows every spike. Points just outside the X range are
// included so the line reaches the plot's edges. NaN values are skipped. REQUIRES xMax > xMin and
// yMax > yMin.
QPolygonF ColumnPolyline(const TFastLineSeries& series, double xMin, double xMax, double yMin,
                         double yMax, const QRectF& plot);
