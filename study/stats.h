// Summaries of repeated measurements: medians, their spread, and 95% intervals from a
// bootstrap over the repetitions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The middle value, or the mean of the two middle values for an even count; 0 for none.
[[nodiscard]] double median(std::vector<double> values);

// (max - min) / median: how far the repetitions spread; 0 for fewer than two.
[[nodiscard]] double spread(std::span<const double> values);

// The bootstrap: this many resamples, drawn from a std::mt19937_64 with this seed, each
// index by std::uniform_int_distribution<std::size_t>.
inline constexpr int BOOTSTRAP_RESAMPLES = 2000;
inline constexpr std::uint64_t BOOTSTRAP_SEED = 20261208;
// Below this many repetitions a percentile bootstrap of a median is no 95% interval: the
// medians of resamples of 2 runs, say, only span the range of the two.
inline constexpr std::size_t BOOTSTRAP_MIN_SAMPLES = 5;

struct Estimate {
  double value;  // the figure itself, from all the repetitions
  double low;    // its 95% interval, where there is one
  double high;
  bool has_interval = true;  // false below BOOTSTRAP_MIN_SAMPLES repetitions

  // True if both have intervals and the two do not overlap.
  [[nodiscard]] bool apart_from(const Estimate& other) const {
    return has_interval && other.has_interval && (high < other.low || other.high < low);
  }
};

// The median, with the 2.5% and 97.5% percentiles of the medians of 2000 resamples (drawn
// with replacement, from a fixed seed, so the same samples give the same interval); no
// interval below BOOTSTRAP_MIN_SAMPLES samples.
[[nodiscard]] Estimate median_estimate(std::span<const double> samples);

// median(numerator) / median(denominator), each side resampled on its own, as above; no
// interval unless both sides have BOOTSTRAP_MIN_SAMPLES samples.
[[nodiscard]] Estimate ratio_estimate(std::span<const double> numerator,
                                      std::span<const double> denominator);
