// The benchmarks' timed loop, in one place, so that the report's study times the very loop
// that the benchmark programs time.
#pragma once

#include <cstdint>

#include "kernels/gcd.h"
#include "kernels/rng.h"

// Makes the optimiser treat the value as used, at no cost: the call that produced it
// cannot be dropped even if the kernel's body were visible here.
inline void keep(std::uint32_t value) noexcept { asm volatile("" : : "r"(value)); }

// count calls of the kernel on consecutive pairs of the pseudo-random source: per call two
// draws, the call through the pointer and the loop counter, nothing else.
inline void call_on_drawn_pairs(gcd_kernel kernel, std::uint32_t count) noexcept {
  for (; count != 0; --count) {
    const std::uint32_t r1 = rng_next();
    const std::uint32_t r2 = rng_next();
    keep(kernel(r2, r1));  // the later draw is the first argument
  }
}
