#pragma once
// Timing shared by the benchmarks: a monotonic clock, the milliseconds since a start, and the
// median and percentiles of a case's samples.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <vector>

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The middle sample, or the mean of the two middle ones.
inline double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  return n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// The sample below which `share` (0..1) of the samples lie, interpolated between the two nearest.
inline double Percentile(std::vector<double> samples, double share) {
  std::sort(samples.begin(), samples.end());
  const double at = share * static_cast<double>(samples.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(at));
  const std::size_t above = std::min(below + 1, samples.size() - 1);
  return samples[below] + (samples[above] - samples[below]) * (at - static_cast<double>(below));
}
