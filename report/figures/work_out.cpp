// Working out the figures the renderers share.
#include "report/figures/work_out.h"

#include <algorithm>

#include "report/figures/agreement.h"
#include "report/figures/call_bounds.h"
#include "report/figures/disturbance.h"
#include "report/figures/findings.h"
#include "report/figures/limits.h"

namespace {

std::vector<ProgramCost> program_costs(const Results& results) {
  std::vector<ProgramCost> costs;
  for (const BenchmarkRow& row : results.benchmarks) {
    const auto [low, high] = std::minmax_element(row.runs_ms.begin(), row.runs_ms.end());
    const double middle = runs_estimate(results, row);
    const std::vector<double> kept = estimated_runs(results, row);
    costs.push_back({row.program, middle, *low, *high, middle * ns_per_ms(results),
                     ratio_estimate(kept, estimated_runs(results, results.benchmarks.front())),
                     spread(kept)});
  }
  return costs;
}

std::vector<KernelCost> kernel_costs(const Study& study) {
  const std::optional<double> ghz = study.ghz();
  const KernelFigures* euclid = find_kernel(study, "gcd_euclid_u");
  const std::vector<double> baseline =
      euclid != nullptr ? estimated_from(euclid->ns_per_call) : std::vector<double>{};
  std::vector<KernelCost> costs;
  for (const KernelFigures& kernel : study.kernels) {
    KernelCost cost{kernel.name,         estimate(kernel.ns_per_call),
                    ns_per_pass(kernel), std::nullopt,
                    std::nullopt,        std::nullopt};
    if (!baseline.empty() && cost.ns_per_call >= SMALLEST_TIMED_NS &&
        median(baseline) >= SMALLEST_TIMED_NS) {
      cost.ratio_to_euclid = ratio_estimate(estimated_from(kernel.ns_per_call), baseline);
    }
    if (ghz) {
      cost.cycles_per_call = cost.ns_per_call * *ghz;
      if (cost.ns_per_pass) {
        cost.cycles_per_pass = *cost.ns_per_pass * *ghz;
      }
    }
    costs.push_back(cost);
  }
  return costs;
}

// Each kit kernel's chain and model against its call, in the programs' order.
std::vector<KernelBoundFigures> bound_figures(const Results& results) {
  std::vector<KernelBoundFigures> all;
  for (const char* kernel : KIT_KERNELS) {
    const std::optional<double> chain = chain_cycles(results, kernel);
    const KernelModel* model = find_model(results, kernel);
    if (!chain && model == nullptr) {
      continue;
    }
    all.push_back({kernel, chain ? against_measure(results.study, kernel, *chain) : std::nullopt,
                   model != nullptr ? model_against_measure(results.study, *model) : std::nullopt});
  }
  return all;
}

// The smallest size from which on binary is faster at every size of the sweep.
Crossover crossover(const Study& study, const std::string& euclid, const std::string& binary) {
  Crossover found;
  for (const SweepFigures& point : study.sweep) {
    if (point.kernel != binary) {
      continue;
    }
    const std::optional<double> slow = sweep_ns(study, euclid, point.bits);
    if (!slow) {
      continue;
    }
    found.measured = true;
    const bool faster = estimate(point.ns_per_call) < *slow;
    if (!faster) {
      found.from_bits = 0;
    } else if (found.from_bits == 0) {
      found.from_bits = point.bits;
    }
  }
  found.every_size = found.from_bits != 0 && found.from_bits == study.settings.sweep_from_bits;
  return found;
}

}  // namespace

std::vector<WhyFaster> why_faster(const Results& results) {
  std::vector<WhyFaster> all;
  for (const Signedness& pair : SIGNEDNESSES) {
    const KernelCost* euclid = find_cost(results, pair.euclid);
    const KernelCost* binary = find_cost(results, pair.binary);
    if (euclid == nullptr || binary == nullptr || !euclid->ns_per_pass || !binary->ns_per_pass) {
      continue;
    }
    WhyFaster why{pair.name,
                  pair.euclid,
                  pair.binary,
                  *find_kernel(results.study, pair.binary)->passes_per_call /
                      *find_kernel(results.study, pair.euclid)->passes_per_call,
                  std::nullopt,
                  *euclid->ns_per_pass,
                  *binary->ns_per_pass,
                  euclid->cycles_per_pass,
                  binary->cycles_per_pass};
    // No share is made of a call too small to time.
    if (euclid->ns_per_call >= SMALLEST_TIMED_NS && binary->ns_per_call >= SMALLEST_TIMED_NS) {
      why.pass_ratio = why.binary_pass_ns / why.euclid_pass_ns;
    }
    all.push_back(why);
  }
  return all;
}

void work_out(Results& results) {
  WorkedOut& out = results.worked_out;
  out.programs = program_costs(results);
  out.unsigned_speedup = binary_speedup(results, "bench_euclid_u", "bench_binary_u");
  out.signed_speedup = binary_speedup(results, "bench_euclid_s", "bench_binary_s");
  out.kernels = kernel_costs(results.study);
  out.why = why_faster(results);
  out.bounds = bound_figures(results);
  out.agreements = phases_agree(results);
  out.unsigned_crossover = crossover(results.study, "gcd_euclid_u", "gcd_binary_u");
  out.signed_crossover = crossover(results.study, "gcd_euclid_s", "gcd_binary_s");
  out.calls = call_bounds(results);
  out.two_pairs = two_pair_gains(results);
  out.phases = judge_phases(results);
  out.findings = findings(results);
}
