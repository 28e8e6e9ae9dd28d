// Counting the pairs on which two kernels disagree.
#include "check/cross_check.h"

#include <cstdint>
#include <cstdio>

#include "kernels/rng.h"
#include "platform/process.h"

// Every run checks the same pairs: the first is (134775814, 1).
std::uint32_t rng_state = 0;

void run_cross_check(gcd_kernel under_test, gcd_kernel reference) noexcept {
  std::uint32_t errors = 0;
  for (std::uint32_t count = ITERATION_COUNT; count != 0; --count) {
    const std::uint32_t r1 = rng_next();
    const std::uint32_t r2 = rng_next();
    // The later draw is the first argument; the kernel under test always runs first.
    const std::uint32_t x = under_test(r2, r1);
    const std::uint32_t y = reference(r2, r1);
    if (x != y) {
      ++errors;
    }
  }
  // At most ITERATION_COUNT, so the signed conversion always shows it as it is.
  std::printf("Errors count = %i", static_cast<std::int32_t>(errors));
  end_process();
}
