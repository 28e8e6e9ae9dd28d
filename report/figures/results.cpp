// Finding figures in the results.
#include "report/figures/results.h"

#include <algorithm>
#include <iterator>

#include "report/figures/limits.h"

const BenchmarkRow* find_benchmark(const Results& results, std::string_view program) {
  return find_named(results.benchmarks, &BenchmarkRow::program, program);
}

const KernelFigures* find_kernel(const Study& study, std::string_view name) {
  return find_named(study.kernels, &KernelFigures::name, name);
}

const KernelCost* find_cost(const Results& results, std::string_view kernel) {
  return find_named(results.worked_out.kernels, &KernelCost::kernel, kernel);
}

const KernelBoundFigures* find_bound_figures(const Results& results, std::string_view kernel) {
  return find_named(results.worked_out.bounds, &KernelBoundFigures::kernel, kernel);
}

const KernelModel* find_model(const Results& results, std::string_view kernel) {
  return results.model ? find_named(results.model->kernels, &KernelModel::kernel, kernel) : nullptr;
}

const SweepFigures* find_sweep_point(const Study& study, std::string_view kernel, unsigned bits) {
  for (const SweepFigures& point : study.sweep) {
    if (point.kernel == kernel && point.bits == bits) {
      return &point;
    }
  }
  return nullptr;
}

std::optional<double> sweep_ns(const Study& study, std::string_view kernel, unsigned bits) {
  const SweepFigures* point = find_sweep_point(study, kernel, bits);
  return point != nullptr ? std::optional<double>(estimate(point->ns_per_call)) : std::nullopt;
}

std::optional<double> ns_per_pass(const KernelFigures& kernel) {
  if (!kernel.passes_per_call) {
    return std::nullopt;
  }
  return estimate(kernel.ns_per_call) / *kernel.passes_per_call;
}

std::optional<double> chain_cycles(const Results& results, std::string_view kernel) {
  const KernelBound* bound = find_named(results.bounds, &KernelBound::kernel, kernel);
  return bound != nullptr ? std::optional<double>(bound->cycles_per_pass) : std::nullopt;
}

std::optional<double> division_cycles(const Results& results, std::string_view kernel) {
  const DividerFigures* divider =
      find_named(results.study.divider, &DividerFigures::kernel, kernel);
  return divider != nullptr ? std::optional<double>(divider->cycles) : std::nullopt;
}

std::string failed_cross_checks(const Results& results) {
  std::string failed;
  for (const CrossCheckRow& row : results.checks) {
    if (row.errors != 0) {
      failed += (failed.empty() ? "" : ", ") + row.program + ": " + std::to_string(row.errors) +
                (row.errors == 1 ? " error" : " errors");
    }
  }
  return failed;
}

std::string_view estimator_of(const Results& results) {
  return results.study.signs_per_value ? ESTIMATOR : EVERY_VALUE_ESTIMATOR;
}

double ns_per_ms(const Results& results) {
  return results.calls_per_run > 0 ? 1e6 / results.calls_per_run : 1;
}

std::vector<double> estimated_runs(const Results& results, const BenchmarkRow& row) {
  return estimated_from(row.runs_ms, ns_per_ms(results));
}

double runs_estimate(const Results& results, const BenchmarkRow& row) {
  return estimate(row.runs_ms, ns_per_ms(results));
}

std::size_t fewest_runs(const Results& results) {
  std::size_t fewest = results.benchmarks.empty() ? 0 : results.benchmarks.front().runs_ms.size();
  for (const BenchmarkRow& row : results.benchmarks) {
    fewest = std::min(fewest, row.runs_ms.size());
  }
  return fewest;
}

std::optional<Estimate> binary_speedup(const Results& results, std::string_view euclid,
                                       std::string_view binary) {
  const BenchmarkRow* slow = find_benchmark(results, euclid);
  const BenchmarkRow* fast = find_benchmark(results, binary);
  if (slow == nullptr || fast == nullptr) {
    return std::nullopt;
  }
  return ratio_estimate(estimated_runs(results, *slow), estimated_runs(results, *fast));
}

std::optional<ModelAgainstMeasure> against_measure(const Study& study, const std::string& kernel,
                                                   double cycles_per_pass) {
  const KernelFigures* measured = find_kernel(study, kernel);
  const std::optional<double> ghz = study.ghz();
  if (measured == nullptr || !measured->passes_per_call || !ghz || !study.mispredicted_branch_ns) {
    return std::nullopt;
  }
  const double cycles_per_call = estimate(measured->ns_per_call) * *ghz;
  const double model_per_call =
      *measured->passes_per_call * cycles_per_pass + *study.mispredicted_branch_ns * *ghz;
  const bool timed = estimate(measured->ns_per_call) >= SMALLEST_TIMED_NS;
  return ModelAgainstMeasure{*ns_per_pass(*measured) * *ghz, model_per_call, cycles_per_call,
                             timed ? (model_per_call - cycles_per_call) / cycles_per_call : 0,
                             timed};
}

std::optional<ModelAgainstMeasure> model_against_measure(const Study& study,
                                                         const KernelModel& model) {
  return against_measure(study, model.kernel, model.cycles_per_pass);
}
