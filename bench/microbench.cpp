// gcd_microbench: nanoseconds per call of the kit's kernels and their peers, on the
// benchmarks' own pseudo-random pairs, with passes per call and the cost of one pass; the
// peers that take two pairs at once per two pairs, with their pairs a second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "study/pairs.h"
#include "study/study.h"

namespace {

constexpr std::uint32_t PAIR_COUNT = 1U << 16;  // a power of two, to wrap the index with a mask

// Generated once, before any timing.
const std::vector<Pair>& pairs() {
  static const std::vector<Pair> table = drawn_pairs(PAIR_COUNT);
  return table;
}

// One iteration is one call through the kernel shape, as in the kit's own benchmarks. The
// pointer is hidden from the optimiser so that no kernel is inlined into the loop.
void per_call(benchmark::State& state, const StudiedKernel& studied) {
  const std::vector<Pair>& table = pairs();
  gcd_kernel kernel = studied.kernel;
  benchmark::DoNotOptimize(kernel);
  std::size_t index = 0;
  for (auto _ : state) {
    const Pair& pair = table[index++ & (PAIR_COUNT - 1)];
    benchmark::DoNotOptimize(kernel(pair.first, pair.second));
  }
  if (studied.passes != nullptr) {
    std::uint64_t passes = 0;
    for (const Pair& pair : table) {
      passes += studied.passes(pair.first, pair.second);
    }
    const double per_call = static_cast<double>(passes) / PAIR_COUNT;
    state.counters["passes/call"] = per_call;
    state.counters["time/pass"] =
        benchmark::Counter(per_call * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  }
}

// A peer of two pairs at once: one iteration is one call of two pairs.
void per_pair(benchmark::State& state, const StudiedKernel& studied) {
  const std::vector<Pair>& table = pairs();
  two_pair_kernel kernel = studied.two;
  benchmark::DoNotOptimize(kernel);
  std::size_t index = 0;
  for (auto _ : state) {
    const Pair& one = table[index++ & (PAIR_COUNT - 1)];
    const Pair& other = table[index++ & (PAIR_COUNT - 1)];
    const TwoGcds both = kernel(one.first, one.second, other.first, other.second);
    benchmark::DoNotOptimize(both);
  }
  state.SetItemsProcessed(2 * static_cast<std::int64_t>(state.iterations()));
}

}  // namespace

// A peer that got an answer wrong would make every comparison meaningless.
int main(int argc, char** argv) {
  static const std::vector<StudiedKernel> kernels = studied_kernels();
  for (const StudiedKernel& kernel : kernels) {
    if (kernel.passes == nullptr) {
      try {
        check_against_euclid(kernel, pairs());
      } catch (const WrongAnswer& wrong) {
        std::fprintf(stderr, "gcd_microbench: %s\n", wrong.what());
        return 1;
      }
    }
    if (kernel.two != nullptr) {
      benchmark::RegisterBenchmark(("per_two_pairs/" + kernel.name).c_str(), per_pair, kernel);
    } else {
      benchmark::RegisterBenchmark(("per_call/" + kernel.name).c_str(), per_call, kernel);
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
