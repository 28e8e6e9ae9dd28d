// The binary (shift-and-subtract) algorithm, once, for the kernels and for counting their
// passes.
#pragma once

#include <cstdint>

#include "kernels/magnitude.h"

namespace binary_detail {

// Trailing zero count of a word known to be nonzero. std::countr_zero would add a
// test for 0 in front of every count, and the loop never counts the zeros of 0.
[[nodiscard]] constexpr std::uint32_t trailing_zeros(std::uint32_t word) noexcept {
  return static_cast<std::uint32_t>(__builtin_ctz(word));
}

// Strips both words to their odd parts, given their trailing zero counts, and adds the
// smaller count to k: the first pass collects the common power of two, later passes add 0
// because v is odd from then on (so k stays below 32).
constexpr void strip(std::uint32_t& u, std::uint32_t& v, std::uint32_t& k, std::uint32_t tu,
                     std::uint32_t tv) noexcept {
  u >>= tu;
  v >>= tv;
  k += tu < tv ? tu : tv;
}

// Both words are nonzero. Each pass strips u and v to odd values, exits if one of them is 1
// or both are equal, and otherwise replaces u by half their difference and v by the smaller.
// on_pass() is called once per pass, with its strip.
template <class OnPass>
[[nodiscard]] constexpr std::uint32_t nonzero(std::uint32_t u, std::uint32_t v,
                                              OnPass on_pass) noexcept {
  std::uint32_t k = 0;
  on_pass();
  strip(u, v, k, trailing_zeros(u), trailing_zeros(v));
  for (;;) {
    if (u == 1) {
      return u << k;
    }
    if (v == 1) {
      return v << k;
    }
    if (u == v) {
      return u << k;
    }
    // Both differences come from the one comparison, so choosing between them (and the
    // smaller value) needs no branch: a branch here mispredicts half the time.
    const bool u_smaller = u < v;
    const std::uint32_t u_minus_v = u - v;
    const std::uint32_t v_minus_u = v - u;
    const std::uint32_t difference = u_smaller ? v_minus_u : u_minus_v;
    v = u_smaller ? u : v;
    u = difference >> 1;  // odd minus odd: even and at least 2, so u stays nonzero
    // The next pass. u - v and v - u have the same trailing zeros, so u's count is taken
    // from the difference that was not chosen, off the path of the selection.
    on_pass();
    strip(u, v, k, trailing_zeros(u_minus_v >> 1), trailing_zeros(v));
  }
}

}  // namespace binary_detail

// A call with a zero argument returns before the loop and makes no pass.
template <class OnPass>
[[nodiscard]] constexpr std::uint32_t binary_u(std::uint32_t first, std::uint32_t second,
                                               OnPass on_pass) noexcept {
  if (second == 0) {
    return first;
  }
  if (first == 0) {
    return second;
  }
  return binary_detail::nonzero(first, second, on_pass);
}

// The unsigned loop on the magnitudes; -2^31 is the even word 2^31 like any other.
template <class OnPass>
[[nodiscard]] constexpr std::uint32_t binary_s(std::uint32_t first, std::uint32_t second,
                                               OnPass on_pass) noexcept {
  const std::uint32_t u = magnitude(first);
  const std::uint32_t v = magnitude(second);
  if (u == 0) {
    return v;
  }
  if (v == 0) {
    return u;
  }
  return binary_detail::nonzero(u, v, on_pass);
}
