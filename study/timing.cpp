// The study's timed loops.
#include "study/timing.h"

#include <chrono>

#include "kernels/call_loop.h"

namespace {

using Clock = std::chrono::steady_clock;

// The kernel's address is hidden from the optimiser, so that no kernel, the empty one
// above all, is inlined into a loop that must make a real call.
template <class Kernel>
Kernel opaque(Kernel kernel) noexcept {
  asm volatile("" : "+r"(kernel));
  return kernel;
}

double ns_since(Clock::time_point start, double calls) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / calls;
}

}  // namespace

std::uint32_t empty_kernel(std::uint32_t first, std::uint32_t /*second*/) noexcept { return first; }

double ns_per_call_on_drawn_pairs(gcd_kernel kernel, std::uint32_t count) {
  kernel = opaque(kernel);
  rng_state = 1;
  const Clock::time_point start = Clock::now();
  call_on_drawn_pairs(kernel, count);
  return ns_since(start, count);
}

double ns_per_call_on_pairs(gcd_kernel kernel, std::span<const Pair> pairs) {
  kernel = opaque(kernel);
  const Clock::time_point start = Clock::now();
  for (const Pair& pair : pairs) {
    keep(kernel(pair.first, pair.second));
  }
  return ns_since(start, static_cast<double>(pairs.size()));
}

TwoGcds empty_two_pair_kernel(std::uint32_t a, std::uint32_t /*b*/, std::uint32_t c,
                              std::uint32_t /*d*/) noexcept {
  return {a, c};
}

double ns_per_pair_two_at_a_time(two_pair_kernel kernel, std::span<const Pair> pairs) {
  if (pairs.empty()) {
    return 0;
  }
  kernel = opaque(kernel);
  const std::size_t count = pairs.size();
  const Clock::time_point start = Clock::now();
  for (std::size_t i = 0; i < count; i += 2) {
    const Pair& one = pairs[i];
    const Pair& other = pairs[i + 1 < count ? i + 1 : 0];
    const TwoGcds both = kernel(one.first, one.second, other.first, other.second);
    keep(both.first);
    keep(both.second);
  }
  return ns_since(start, static_cast<double>(count + count % 2));
}
