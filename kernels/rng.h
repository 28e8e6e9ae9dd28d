// The pseudo-random source of the benchmarks and cross-checks: a 32-bit linear congruential
// generator whose whole state is one word.
#pragma once

#include <cstdint>

// Argument pairs drawn in one run of a benchmark or a cross-check.
inline constexpr std::uint32_t ITERATION_COUNT = 10'000'000;

// With the increment 1 and a multiplier that is 1 modulo 4, every one of the 2^32 states
// comes round once per period.
inline constexpr std::uint32_t RNG_MULTIPLIER = 134775813;  // 0x08088405

// Each kind of program defines this with its initial value, fixed at build time.
extern std::uint32_t rng_state;

// Advances the state (mod 2^32) and returns the new state, the whole word.
[[nodiscard]] inline std::uint32_t rng_next() noexcept {
  rng_state = rng_state * RNG_MULTIPLIER + 1;
  return rng_state;
}
