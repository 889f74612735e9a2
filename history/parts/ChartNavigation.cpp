#include "history/parts/ChartNavigation.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "platform/Errors.h"
#include "common/StrConv.h"

namespace {

constexpr double kTrackBarPercent = 0.01;  // the track bar runs 0..100 over the data extent
constexpr int kTrackBarMin = 0;
constexpr int kTrackBarMax = 100;

}  // namespace

float AxisRangeValue(const std::string& text) {
  const long double value = StrToFloat(text);
  if (std::fabs(value) > FLT_MAX) throw Exception("Floating point overflow");
  return static_cast<float>(value);
}

std::optional<TAxisMove> LeftAxisMove(float max, float min, double axisMinimum) {
  if (!(max > min)) return std::nullopt;
  return TAxisMove{min, max, max >= axisMinimum};
}

TAxisMove TrackBarAxisMove(int position, double lo, double hi, double axisMinimum,
                           double axisMaximum) {
  const double width = axisMaximum - axisMinimum;
  const double newMin = lo + position * (hi - lo) * kTrackBarPercent;
  const double newMax = newMin + width;
  return {newMin, newMax, newMin > axisMinimum};
}

std::optional<int> TrackBarPosition(double axisMinimum, double lo, double hi) {
  const double span = hi - lo;
  if (!(span > 0)) return std::nullopt;
  const double percent = std::floor((axisMinimum - lo) * kTrackBarMax / span);
  return static_cast<int>(std::clamp<double>(percent, kTrackBarMin, kTrackBarMax));
}
