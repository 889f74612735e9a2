#pragma once
// TFastLineSeries: one curve of a TChart, a ring of float Y values whose X values rise by 1 from
// point to point. Appending to a full series drops its oldest point, so a trend scrolls by one
// point per append without moving memory. Point labels are kept by the chart per X position
// (every curve of a chart shares its X positions), so 5,760 curves of 1,000 points carry one
// label per X, not one per point.
//
// A series belongs to its chart and lives until the chart removes it. GUI thread only.

#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <vector>

#include "platform/gui/Colors.h"

class TChart;

class TFastLineSeries {
 public:
  // REQUIRES: capacity > 0. Made by TChart::AddSeries.
  TFastLineSeries(TChart& owner, int capacity);
  TFastLineSeries(const TFastLineSeries&) = delete;
  TFastLineSeries& operator=(const TFastLineSeries&) = delete;

  int Capacity() const { return static_cast<int>(y_.size()); }
  int Count() const { return count_; }
  // Point `index` counts from the oldest point (0) to the newest (Count() - 1).
  std::int64_t XValue(int index) const { return firstX_ + index; }
  float YValue(int index) const;
  QString Label(int index) const;
  std::int64_t FirstX() const { return firstX_; }
  std::int64_t LastX() const { return firstX_ + count_ - 1; }

  // Appends a point at X = the last X + 1 (0 for an empty series) with an optional label for that
  // X; a full series first drops its oldest point.
  void AddY(float y);
  void AddY(float y, const QString& label);
  // Removes every point; the next point gets X = 0.
  void Clear();

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool Active() const { return active_; }
  void SetActive(bool active);
  int LineWidth() const { return lineWidth_; }
  void SetLineWidth(int width);
  const QString& Title() const { return title_; }
  void SetTitle(const QString& title) { title_ = title; }

 private:
  int Slot(int index) const { return (head_ + index) % Capacity(); }

  TChart& owner_;
  std::vector<float> y_;
  int head_ = 0;  // slot of the oldest point
  int count_ = 0;
  std::int64_t firstX_ = 0;
  TColor color_ = clRed;
  bool active_ = true;
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
