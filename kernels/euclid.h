// Euclid's remainder algorithm, once, for the kernels and for counting their passes.
#pragma once

#include <cstdint>

#include "kernels/magnitude.h"
#include "kernels/steps.h"

// A pass is one remainder step: on_pass(EuclidStep{dividend, divisor}) is called once before
// each division (kernels/steps.h).

// Remainder steps until the divisor is 0; gcd(x, 0) = x needs no special case.
template <class OnPass>
[[nodiscard]] constexpr std::uint32_t euclid_u(std::uint32_t first, std::uint32_t second,
                                               OnPass on_pass) noexcept {
  std::uint32_t a = first;
  std::uint32_t b = second;
  while (b != 0) {
    on_pass(EuclidStep<std::uint32_t>{a, b});
    const std::uint32_t r = a % b;
    a = b;
    b = r;
  }
  return a;
}

// Remainder steps on the signed values as they come; signs are settled once, at the end.
template <class OnPass>
[[nodiscard]] constexpr std::uint32_t euclid_s(std::uint32_t first, std::uint32_t second,
                                               OnPass on_pass) noexcept {
  // gcd(x, ±1) is 1 for every x. Answering it here also keeps -2^31 % -1, which
  // overflows (and traps on x86), out of the loop: it is reached only by the pairs
  // (-2^31, -1) in the first pass and (-1, -2^31) in the second.
  if (first == UINT32_MAX || second == UINT32_MAX) {
    return 1;
  }
  auto a = static_cast<std::int32_t>(first);
  auto b = static_cast<std::int32_t>(second);
  while (b != 0) {
    on_pass(EuclidStep<std::int32_t>{a, b});
    const std::int32_t r = a % b;  // truncated: 0 or the sign of a, |r| < |b|
    a = b;
    b = r;
  }
  return magnitude(static_cast<std::uint32_t>(a));
}
