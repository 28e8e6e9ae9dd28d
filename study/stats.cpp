// Medians and bootstrap intervals.
#include "study/stats.h"

#include <algorithm>
#include <cstdint>
#include <random>

namespace {

std::vector<double> resample(std::span<const double> samples, std::mt19937_64& random) {
  std::uniform_int_distribution<std::size_t> pick(0, samples.size() - 1);
  std::vector<double> drawn(samples.size());
  for (double& value : drawn) {
    value = samples[pick(random)];
  }
  return drawn;
}

// Percentile of sorted values, interpolating between neighbours.
double percentile(const std::vector<double>& sorted, double fraction) {
  const double position = fraction * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<std::size_t>(position);
  const std::size_t above = std::min(below + 1, sorted.size() - 1);
  const double weight = position - static_cast<double>(below);
  return sorted[below] * (1 - weight) + sorted[above] * weight;
}

template <class Statistic>
Estimate bootstrap(double value, Statistic statistic) {
  std::mt19937_64 random(BOOTSTRAP_SEED);
  std::vector<double> statistics;
  statistics.reserve(BOOTSTRAP_RESAMPLES);
  for (int i = 0; i < BOOTSTRAP_RESAMPLES; ++i) {
    statistics.push_back(statistic(random));
  }
  std::sort(statistics.begin(), statistics.end());
  return {value, percentile(statistics, 0.025), percentile(statistics, 0.975)};
}

}  // namespace

double median(std::vector<double> values) {
  if (values.empty()) {
    return 0.0;
  }
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double spread(std::span<const double> values) {
  if (values.size() < 2) {
    return 0.0;
  }
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  const double middle = median({values.begin(), values.end()});
  return middle != 0 ? (*high - *low) / middle : 0.0;
}

Estimate median_estimate(std::span<const double> samples) {
  if (samples.empty()) {
    return {0, 0, 0, false};
  }
  const double value = median({samples.begin(), samples.end()});
  if (samples.size() < BOOTSTRAP_MIN_SAMPLES) {
    return {value, value, value, false};
  }
  return bootstrap(value,
                   [&](std::mt19937_64& random) { return median(resample(samples, random)); });
}

Estimate ratio_estimate(std::span<const double> numerator, std::span<const double> denominator) {
  const double bottom = median({denominator.begin(), denominator.end()});
  if (numerator.empty() || denominator.empty() || bottom == 0) {
    return {0, 0, 0, false};
  }
  const double value = median({numerator.begin(), numerator.end()}) / bottom;
  if (numerator.size() < BOOTSTRAP_MIN_SAMPLES || denominator.size() < BOOTSTRAP_MIN_SAMPLES) {
    return {value, value, value, false};
  }
  return bootstrap(value, [&](std::mt19937_64& random) {
    const double resampled_bottom = median(resample(denominator, random));
    return resampled_bottom != 0 ? median(resample(numerator, random)) / resampled_bottom : 0.0;
  });
}
