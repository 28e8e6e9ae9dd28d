// Fitting passes per call against operand size, and the constants of the literature.
#pragma once

#include <numbers>
#include <optional>
#include <span>

// Division steps per bit of Euclid's algorithm on random operands: 12 (ln 2)^2 / pi^2
// (Heilbronn 1969, Dixon 1970; Knuth, TAOCP vol. 2, 4.5.3).
inline constexpr double EUCLID_PASSES_PER_BIT =
    12 * std::numbers::ln2 * std::numbers::ln2 / (std::numbers::pi * std::numbers::pi);
// Subtract-and-shift steps per bit of the binary algorithm: Brent's constant (Brent 1976,
// confirmed by Vallee 1998; Knuth, TAOCP vol. 2, 4.5.2).
inline constexpr double BINARY_PASSES_PER_BIT = 0.70597124610;

struct Line {
  double slope;
  double intercept;
};

// The least-squares line through the points (x[i], y[i]); none if fewer than two points
// or all x are equal.
[[nodiscard]] std::optional<Line> least_squares(std::span<const double> x,
                                                std::span<const double> y);

// The line that makes the weighted sum of squared departures least, each point (x[i], y[i])
// counting w[i] times; none if fewer than two points of weight, or all of them at one x.
[[nodiscard]] std::optional<Line> weighted_least_squares(std::span<const double> x,
                                                         std::span<const double> y,
                                                         std::span<const double> w);
