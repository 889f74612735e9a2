#pragma once
// The arithmetic of the history chart's navigation: the Y range set from the range edits and
// the scroll track bar under the chart, which follows the bottom axis and moves it. No Qt here;
// the window reads the axes and the controls, asks these and sets what they answer.

#include <optional>
#include <string>
#include <string_view>

// A new range for an axis that is not automatic. The axis refuses a maximum below its current
// minimum and a minimum above its current maximum, so the two are set in the order that keeps
// them apart: the maximum first when MaximumFirst.
struct TAxisMove {
  double Minimum = 0;
  double Maximum = 0;
  bool MaximumFirst = false;
};

// ---- Y range ("Range Setting OK") ----

inline constexpr std::string_view kAxisRangeRefused =
    "The maximum range should be higher than the minimum range!";
// The number in a range edit, held as a float32 value as the axis setting takes it. Raises the
// runtime's conversion error for a text that is not a number, and its overflow error for a
// value beyond float32 (rather than an infinite axis).
float AxisRangeValue(const std::string& text);
// The left axis from `min` to `max`, moved from an axis whose minimum is now `axisMinimum`;
// none when max > min does not hold (kAxisRangeRefused).
std::optional<TAxisMove> LeftAxisMove(float max, float min, double axisMinimum);

// ---- Scroll track bar (0 to 100 over the data extent) ----

// The bottom axis for the track bar at `position`: it keeps its visible width
// (axisMaximum - axisMinimum) and starts `position` percent into the data extent lo .. hi.
TAxisMove TrackBarAxisMove(int position, double lo, double hi, double axisMinimum,
                           double axisMaximum);
// Where the visible part of the bottom axis (from axisMinimum) starts within the data extent
// lo .. hi, in percent (0 to 100): the track bar's position. None when the extent is empty.
std::optional<int> TrackBarPosition(double axisMinimum, double lo, double hi);
