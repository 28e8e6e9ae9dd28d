// The figures of two reports, side by side.
#include "report/figures/comparison.h"

#include <algorithm>
#include <cmath>

#include "report/figures/disturbance.h"

namespace {

// A figure in a report, the median of its repetitions kept with its interval; none if the
// report lacks it. ns_per_value: what turns a value into ns a call (a program's ms).
std::optional<Estimate> median_of(const Repeated* samples, double ns_per_value = 1) {
  return samples != nullptr
             ? std::optional<Estimate>(median_estimate(estimated_from(*samples, ns_per_value)))
             : std::nullopt;
}

// The same in cycles: the repetitions kept times the report's clock.
std::optional<Estimate> cycles_of(const Repeated* samples, double ghz) {
  if (samples == nullptr) {
    return std::nullopt;
  }
  std::vector<double> cycles;
  for (const double ns : estimated_from(*samples)) {
    cycles.push_back(ns * ghz);
  }
  return median_estimate(cycles);
}

// Whether the phase was not quiet in either report.
bool either_not_quiet(const Results& now, const Results& old, const char* phase) {
  const PhaseVerdict* a = find_verdict(now, phase);
  const PhaseVerdict* b = find_verdict(old, phase);
  return (a != nullptr && !a->quiet()) || (b != nullptr && !b->quiet());
}

// What bounds each kit kernel's call: single figures, worked out from medians.
void add_call_bounds(std::vector<ComparedFigure>& rows, const Results& now, const Results& old) {
  const auto single = [](const std::optional<double>& value) {
    return value ? std::optional<Estimate>(Estimate{*value, *value, *value, false}) : std::nullopt;
  };
  const auto bound_of = [](const Results& results, const std::string& kernel) {
    return find_named(results.worked_out.calls, &CallBound::kernel, kernel);
  };
  using Figure = std::optional<double> (*)(const CallBound&);
  const std::pair<const char*, Figure> figures[] = {
      {" overlapped cyc", [](const CallBound& b) { return b.overlapped_pass; }},
      {" exit in place", [](const CallBound& b) { return std::optional<double>(b.exit_in_place); }},
      {" predicted cyc", [](const CallBound& b) { return b.prediction; }},
  };
  for (const auto& [label, figure] : figures) {
    for (const CallBound& bound : now.worked_out.calls) {
      const CallBound* before = bound_of(old, bound.kernel);
      if (const std::optional<double> value = figure(bound)) {
        rows.push_back({bound.kernel + label, before ? single(figure(*before)) : std::nullopt,
                        *single(value), true, either_not_quiet(now, old, "study")});
      }
    }
  }
}

}  // namespace

std::vector<ComparedFigure> compared_figures(const Results& now, const Results& old) {
  std::vector<ComparedFigure> rows;
  const bool programs = either_not_quiet(now, old, "programs");
  const bool study = either_not_quiet(now, old, "study");
  for (const BenchmarkRow& row : now.benchmarks) {
    const BenchmarkRow* before = find_benchmark(old, row.program);
    rows.push_back({row.program + " msec",
                    median_of(before ? &before->runs_ms : nullptr, ns_per_ms(old)),
                    *median_of(&row.runs_ms, ns_per_ms(now)), false, programs});
  }
  for (const auto& [label, speedup] :
       {std::pair{"binary speed-up, unsigned", &WorkedOut::unsigned_speedup},
        std::pair{"binary speed-up, signed", &WorkedOut::signed_speedup}}) {
    if (const std::optional<Estimate>& new_value = now.worked_out.*speedup) {
      rows.push_back({label, old.worked_out.*speedup, *new_value, false, programs, Measure::speedup,
                      std::string(label).substr(std::string(label).find(", ") + 2)});
    }
  }
  // Cycles where both reports know their clock: a change of clock alone moves ns, not cycles.
  const std::optional<double> old_ghz = old.study.ghz();
  const std::optional<double> new_ghz = now.study.ghz();
  for (const KernelFigures& kernel : now.study.kernels) {
    const KernelFigures* before = find_kernel(old.study, kernel.name);
    const Repeated* old_samples = before ? &before->ns_per_call : nullptr;
    rows.push_back({kernel.name + " ns/call", median_of(old_samples),
                    *median_of(&kernel.ns_per_call), false, study, Measure::ns_per_call,
                    kernel.name});
    if (old_ghz && new_ghz) {
      rows.push_back({kernel.name + " cycles/call", cycles_of(old_samples, *old_ghz),
                      *cycles_of(&kernel.ns_per_call, *new_ghz), false, study});
    }
  }

  // What bounds a pass: single figures, with no interval of their own.
  const auto single = [](const std::optional<double>& value) {
    return value ? std::optional<Estimate>(Estimate{*value, *value, *value, false}) : std::nullopt;
  };
  for (const BenchmarkProgram& program : BENCHMARK_PROGRAMS) {
    if (const std::optional<double> division = division_cycles(now, program.kernel)) {
      rows.push_back({std::string(program.kernel) + " division cyc",
                      single(division_cycles(old, program.kernel)), *single(division), true});
    }
  }
  for (const BenchmarkProgram& program : BENCHMARK_PROGRAMS) {
    if (const std::optional<double> chain = chain_cycles(now, program.kernel)) {
      rows.push_back({std::string(program.kernel) + " chain cyc/pass",
                      single(chain_cycles(old, program.kernel)), *single(chain), true});
    }
  }
  add_call_bounds(rows, now, old);
  return rows;
}

ChangeVerdict change_verdict(const ComparedFigure& row) {
  if (!row.old_value) {
    return ChangeVerdict::not_in_old;
  }
  if (row.disturbed) {
    return ChangeVerdict::disturbed;
  }
  if (row.one_figure) {
    return ChangeVerdict::one_figure;
  }
  if (!row.new_value.has_interval || !row.old_value->has_interval) {
    return ChangeVerdict::no_interval;
  }
  return row.new_value.apart_from(*row.old_value) ? ChangeVerdict::apart
                                                  : ChangeVerdict::within_noise;
}

std::optional<double> change_of(const ComparedFigure& row) {
  if (!row.old_value || row.old_value->value <= 0 || row.new_value.value <= 0) {
    return std::nullopt;
  }
  return row.new_value.value / row.old_value->value;
}

ComparisonSummary summarize_comparison(const std::vector<ComparedFigure>& rows) {
  ComparisonSummary summary;
  double most = 0;
  for (const ComparedFigure& row : rows) {
    if (row.measure == Measure::speedup) {
      summary.speedups.push_back(&row);
    }
    const std::optional<double> change = change_of(row);
    if (row.measure == Measure::ns_per_call && change &&
        change_verdict(row) == ChangeVerdict::apart && std::fabs(std::log(*change)) > most) {
      most = std::fabs(std::log(*change));
      summary.moved_most = &row;
    }
  }
  return summary;
}
