// Finding figures in the results.
#include "report/results.h"

const BenchmarkRow* find_benchmark(const Results& results, std::string_view program) {
  for (const BenchmarkRow& row : results.benchmarks) {
    if (row.program == program) {
      return &row;
    }
  }
  return nullptr;
}

const KernelFigures* find_kernel(const Study& study, std::string_view name) {
  for (const KernelFigures& kernel : study.kernels) {
    if (kernel.name == name) {
      return &kernel;
    }
  }
  return nullptr;
}

std::optional<Estimate> binary_speedup(const Results& results, std::string_view euclid,
                                       std::string_view binary) {
  const BenchmarkRow* slow = find_benchmark(results, euclid);
  const BenchmarkRow* fast = find_benchmark(results, binary);
  if (slow == nullptr || fast == nullptr) {
    return std::nullopt;
  }
  return ratio_estimate(slow->runs_ms, fast->runs_ms);
}
