// The least-squares line.
#include "study/fit.h"

#include <algorithm>
#include <cstddef>

std::optional<Line> least_squares(std::span<const double> x, std::span<const double> y) {
  const std::size_t n = x.size() < y.size() ? x.size() : y.size();
  if (n < 2) {
    return std::nullopt;
  }
  double mean_x = 0;
  double mean_y = 0;
  for (std::size_t i = 0; i < n; ++i) {
    mean_x += x[i];
    mean_y += y[i];
  }
  mean_x /= static_cast<double>(n);
  mean_y /= static_cast<double>(n);
  // Centred sums, which keep their precision where x is far from 0.
  double sxx = 0;
  double sxy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sxx += (x[i] - mean_x) * (x[i] - mean_x);
    sxy += (x[i] - mean_x) * (y[i] - mean_y);
  }
  if (sxx == 0) {
    return std::nullopt;
  }
  const double slope = sxy / sxx;
  return Line{slope, mean_y - slope * mean_x};
}

std::optional<Line> weighted_least_squares(std::span<const double> x, std::span<const double> y,
                                           std::span<const double> w) {
  const std::size_t n = std::min({x.size(), y.size(), w.size()});
  double weight = 0;
  double mean_x = 0;
  double mean_y = 0;
  std::size_t weighed = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (w[i] > 0) {
      weight += w[i];
      mean_x += w[i] * x[i];
      mean_y += w[i] * y[i];
      ++weighed;
    }
  }
  if (weighed < 2) {
    return std::nullopt;
  }
  mean_x /= weight;
  mean_y /= weight;
  double sxx = 0;
  double sxy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (w[i] > 0) {
      sxx += w[i] * (x[i] - mean_x) * (x[i] - mean_x);
      sxy += w[i] * (x[i] - mean_x) * (y[i] - mean_y);
    }
  }
  if (sxx == 0) {
    return std::nullopt;
  }
  const double slope = sxy / sxx;
  return Line{slope, mean_y - slope * mean_x};
}
