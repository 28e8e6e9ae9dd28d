// How the kit kernels' passes spread, on a sample of the programs' pairs, counted through the
// kernels' own loops (their pass observer): passes per call, Euclid's quotients, the zeros each
// binary pass strips from a difference and the exits the binary loop takes; and the laws of
// the literature they are held against.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "study/pairs.h"

// The sample: the first pairs of the programs' own.
inline constexpr std::uint32_t DISTRIBUTION_PAIRS = 100'000;

// Quotients counted one by one up to this, the rest together; zeros of a difference likewise.
inline constexpr std::uint32_t COUNTED_QUOTIENTS = 9;  // 0 to 8, then 9 or more
inline constexpr std::uint32_t COUNTED_ZEROS = 6;      // 1 to 5, then 6 or more

struct PassDistribution {
  std::string kernel;
  std::uint64_t calls = 0;
  std::vector<std::uint64_t> passes;  // calls by their number of passes, from 0
  // Euclid: passes by quotient, 0 to COUNTED_QUOTIENTS - 1 and the rest in the last.
  std::vector<std::uint64_t> quotients;
  // Binary, every pass after a call's first: by the zeros of the difference it took, the shift
  // by 1 included (1 to COUNTED_ZEROS - 1, the rest in the last).
  std::vector<std::uint64_t> difference_zeros;
  // Binary: calls by the exit their loop took (u is 1, v is 1, u equals v), and calls that made
  // no pass (a zero word).
  std::array<std::uint64_t, 3> exits{};
  std::uint64_t no_pass = 0;

  [[nodiscard]] double mean() const;
  [[nodiscard]] double standard_deviation() const;
};

// The four kit kernels on the pairs, each pair read as its kernel reads it.
[[nodiscard]] std::vector<PassDistribution> pass_distributions(std::span<const Pair> pairs);

// The laws. Euclid's division steps on two words of up to `bits` bits: the mean's leading term
// (12 ln 2 / pi^2) ln N (Heilbronn 1969, Dixon 1970) and the variance's, C ln N with C =
// 0.5160524 (Hensley 1994), N = 2^bits.
inline constexpr double HENSLEY_VARIANCE = 0.5160524;
[[nodiscard]] double euclid_mean_leading_term(unsigned bits);
[[nodiscard]] double euclid_variance_leading_term(unsigned bits);

// The share of a difference of two odd words that loses j zeros, by the geometric law: 2^-j (and
// 2^-(j-1) for "j or more").
[[nodiscard]] double geometric_share(std::uint32_t zeros, bool or_more);

// Whether a share counted in a sample of n parts from the law's by more than the sample can
// explain: more than MAX_STANDARD_ERRORS of its standard error, sqrt(p (1 - p) / n).
inline constexpr double MAX_STANDARD_ERRORS = 4;
[[nodiscard]] bool beyond_the_sample(double counted, double law, std::uint64_t n);
