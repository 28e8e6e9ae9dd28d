// gcd_microbench: nanoseconds per call of the kit's kernels beside std::gcd and the fastest
// binary variant we know, on the benchmarks' own pseudo-random pairs.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <numeric>

#include "kernels/gcd.h"
#include "kernels/rng.h"

std::uint32_t rng_state = 1;  // the benchmarks' pairs, in their order

namespace {

struct Pair {
  std::uint32_t first;
  std::uint32_t second;
};

constexpr std::size_t PAIR_COUNT = 1U << 16;  // a power of two, to wrap the index with a mask

// Generated once, before any timing.
const std::array<Pair, PAIR_COUNT>& pairs() {
  static const std::array<Pair, PAIR_COUNT> table = [] {
    std::array<Pair, PAIR_COUNT> drawn{};
    for (Pair& pair : drawn) {
      const std::uint32_t r1 = rng_next();
      const std::uint32_t r2 = rng_next();
      pair = {r2, r1};
    }
    return drawn;
  }();
  return table;
}

std::uint32_t std_gcd_u(std::uint32_t first, std::uint32_t second) noexcept {
  return std::gcd(first, second);
}

// The yardstick: binary GCD with one trailing-zero count per pass, taken of the difference
// itself (u - v and v - u have the same trailing zeros, so the count need not wait for the
// larger value to be chosen). The difference is formed in 64 bits, where its magnitude is
// a neg and a cmov: the 32-bit forms of this loop lead g++ to branch on the order.
std::uint32_t yardstick_binary_u(std::uint32_t u, std::uint32_t v) noexcept {
  if (u == 0) {
    return v;
  }
  if (v == 0) {
    return u;
  }
  const int k = __builtin_ctz(u | v);
  u >>= __builtin_ctz(u);
  v >>= __builtin_ctz(v);
  for (;;) {
    const std::int64_t difference = std::int64_t{u} - std::int64_t{v};
    if (difference == 0) {
      return u << k;
    }
    const int zeros = __builtin_ctzll(static_cast<std::uint64_t>(difference));
    v = u < v ? u : v;
    u = static_cast<std::uint32_t>((difference < 0 ? -difference : difference) >> zeros);
  }
}

// One iteration is one call through the kernel shape, as in the kit's own benchmarks. The
// pointer is hidden from the optimiser so that no kernel is inlined into the loop.
void per_call(benchmark::State& state, gcd_kernel kernel) {
  const std::array<Pair, PAIR_COUNT>& table = pairs();
  benchmark::DoNotOptimize(kernel);
  std::size_t index = 0;
  for (auto _ : state) {
    const Pair& pair = table[index++ & (PAIR_COUNT - 1)];
    benchmark::DoNotOptimize(kernel(pair.first, pair.second));
  }
}

}  // namespace

BENCHMARK_CAPTURE(per_call, gcd_euclid_u, gcd_euclid_u);
BENCHMARK_CAPTURE(per_call, gcd_euclid_s, gcd_euclid_s);
BENCHMARK_CAPTURE(per_call, gcd_binary_u, gcd_binary_u);
BENCHMARK_CAPTURE(per_call, gcd_binary_s, gcd_binary_s);
BENCHMARK_CAPTURE(per_call, std_gcd_u, std_gcd_u);
BENCHMARK_CAPTURE(per_call, yardstick_binary_u, yardstick_binary_u);

// A yardstick that got an answer wrong would make every comparison meaningless.
int main(int argc, char** argv) {
  for (const Pair& pair : pairs()) {
    if (yardstick_binary_u(pair.first, pair.second) != gcd_euclid_u(pair.first, pair.second) ||
        std_gcd_u(pair.first, pair.second) != gcd_euclid_u(pair.first, pair.second)) {
      std::fprintf(stderr, "gcd_microbench: wrong answer for (%u, %u)\n", pair.first, pair.second);
      return 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
