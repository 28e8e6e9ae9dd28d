// Holding the three phases' figures against each other.
#include "report/figures/agreement.h"

#include <algorithm>
#include <cmath>

namespace {

// An estimate scaled and shifted: (e - offset) / divisor, its interval alike.
Estimate per_pass(const Estimate& per_call, double offset, double passes) {
  return {(per_call.value - offset) / passes, (per_call.low - offset) / passes,
          (per_call.high - offset) / passes, per_call.has_interval};
}

std::optional<PhaseFigure> programs_figure(const Results& results, const char* kernel,
                                           double passes) {
  for (const BenchmarkProgram& program : BENCHMARK_PROGRAMS) {
    const BenchmarkRow* row = find_benchmark(results, program.program);
    if (std::string(program.kernel) != kernel || row == nullptr ||
        results.study.loop_ns_per_call.empty() || results.calls_per_run == 0) {
      continue;
    }
    std::vector<double> ns_per_call;
    for (const double ms : estimated_runs(results, *row)) {
      ns_per_call.push_back(ms * ns_per_ms(results));
    }
    return PhaseFigure{Phase::programs, per_pass(median_estimate(ns_per_call),
                                                 estimate(results.study.loop_ns_per_call), passes)};
  }
  return std::nullopt;
}

std::optional<PhaseFigure> sweep_figure(const Study& study, const char* kernel) {
  for (const SweepFigures& point : study.sweep) {
    if (point.kernel == kernel && point.bits == 32 && point.passes_per_call &&
        *point.passes_per_call > 0) {
      return PhaseFigure{Phase::sweep, per_pass(median_estimate(estimated_from(point.ns_per_call)),
                                                0, *point.passes_per_call)};
    }
  }
  return std::nullopt;
}

}  // namespace

const char* phase_name(Phase phase) {
  switch (phase) {
    case Phase::programs: return "the programs";
    case Phase::study: return "the study on the programs' pairs";
    case Phase::sweep: return "the sweep at 32 bits";
  }
  return "";
}

bool figures_agree(const Estimate& a, const Estimate& b, double may_part) {
  const double a_low = a.has_interval ? a.low : a.value;
  const double a_high = a.has_interval ? a.high : a.value;
  const double b_low = b.has_interval ? b.low : b.value;
  const double b_high = b.has_interval ? b.high : b.value;
  const double gap = std::max({0.0, b_low - a_high, a_low - b_high});
  return gap <= may_part * (std::fabs(a.value) + std::fabs(b.value)) / 2;
}

std::vector<Agreement> phases_agree(const Results& results) {
  std::vector<Agreement> all;
  for (const BenchmarkProgram& program : BENCHMARK_PROGRAMS) {
    const KernelFigures* kernel = find_kernel(results.study, program.kernel);
    if (kernel == nullptr || !kernel->passes_per_call || *kernel->passes_per_call <= 0) {
      continue;
    }
    Agreement agreement{program.kernel, {}, std::nullopt, false};
    const double passes = *kernel->passes_per_call;
    if (const std::optional<PhaseFigure> figure =
            programs_figure(results, program.kernel, passes)) {
      agreement.figures.push_back(*figure);
    }
    agreement.figures.push_back(
        {Phase::study, per_pass(median_estimate(estimated_from(kernel->ns_per_call)), 0, passes)});
    if (const std::optional<PhaseFigure> figure = sweep_figure(results.study, program.kernel)) {
      agreement.figures.push_back(*figure);
    }
    const auto agree = [&](std::size_t i, std::size_t j) {
      const bool sweep =
          agreement.figures[i].phase == Phase::sweep || agreement.figures[j].phase == Phase::sweep;
      return figures_agree(agreement.figures[i].ns_per_pass, agreement.figures[j].ns_per_pass,
                           sweep ? SWEEP_MAY_PART : PHASES_MAY_PART);
    };
    if (agreement.figures.size() == 3) {
      for (std::size_t odd = 0; odd < 3; ++odd) {
        const std::size_t a = (odd + 1) % 3;
        const std::size_t b = (odd + 2) % 3;
        if (agree(a, b) && !agree(odd, a) && !agree(odd, b)) {
          agreement.apart = agreement.figures[odd].phase;
        }
      }
      agreement.all_part = !agree(0, 1) && !agree(1, 2) && !agree(0, 2);
    } else if (agreement.figures.size() == 2) {
      agreement.all_part = !agree(0, 1);
    }
    all.push_back(agreement);
  }
  return all;
}
