// The binary (shift-and-subtract) algorithm, once, for the kernels and for counting their
// passes.
#pragma once

#include <cstdint>
#include <type_traits>

#include "kernels/magnitude.h"
#include "kernels/steps.h"

namespace binary_detail {

// Trailing zero count of a word known to be nonzero. std::countr_zero would add a
// test for 0 in front of every count, and the loop never counts the zeros of 0.
[[nodiscard]] constexpr std::uint32_t trailing_zeros(std::uint32_t word) noexcept {
  return static_cast<std::uint32_t>(__builtin_ctz(word));
}

// One pass's strip: both words to their odd parts, given their trailing zero counts, and the
// smaller count added to k: the first pass collects the common power of two, later passes add
// 0 because v is odd from then on (so k stays below 32). The observer sees the pass.
template <class OnPass>
constexpr void strip(std::uint32_t& u, std::uint32_t& v, std::uint32_t& k, std::uint32_t tu,
                     std::uint32_t tv, OnPass& on_pass) noexcept {
  u >>= tu;
  v >>= tv;
  k += tu < tv ? tu : tv;
  on_pass(BinaryStep{u, v, tu, tv, k});
}

// Whether the observer asks for the loop's exit. One that does not (the timed kernels') gets
// no call there at all, so that the exits compile exactly as they would without an observer.
template <class OnPass>
inline constexpr bool asks_for_exits = std::is_invocable_v<OnPass&, BinaryExit>;

// Both words are nonzero. Each pass strips u and v to odd values, exits if one of them is 1
// or both are equal, and otherwise replaces u by half their difference and v by the smaller.
// The observer sees each pass and the exit (kernels/steps.h).
template <class OnPass>
[[nodiscard]] constexpr std::uint32_t nonzero(std::uint32_t u, std::uint32_t v,
                                              OnPass on_pass) noexcept {
  std::uint32_t k = 0;
  strip(u, v, k, trailing_zeros(u), trailing_zeros(v), on_pass);
  for (;;) {
    if (u == 1) {
      if constexpr (asks_for_exits<OnPass>) {
        on_pass(BinaryExit::u_is_one);
      }
      return u << k;
    }
    if (v == 1) {
      if constexpr (asks_for_exits<OnPass>) {
        on_pass(BinaryExit::v_is_one);
      }
      return v << k;
    }
    if (u == v) {
      if constexpr (asks_for_exits<OnPass>) {
        on_pass(BinaryExit::u_equals_v);
      }
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
    strip(u, v, k, trailing_zeros(u_minus_v >> 1), trailing_zeros(v), on_pass);
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
