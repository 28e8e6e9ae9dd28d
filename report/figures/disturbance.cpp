// Judging the phases of a run.
#include "report/figures/disturbance.h"

#include <algorithm>
#include <cmath>

#include "report/figures/call_bounds.h"
#include "report/run/programs.h"
#include "study/stats.h"

namespace {

// The figure's words as a disturbed one: its fastest, the median of all, and its counts.
DisturbedFigure figure_of(const std::string& figure, const Repeated& values, double ns_per_value) {
  DisturbedFigure disturbed;
  disturbed.figure = figure;
  disturbed.fastest = fastest(values, ns_per_value) * ns_per_value;
  disturbed.median = median(values.values) * ns_per_value;
  disturbed.repetitions = values.size();
  disturbed.kept = kept(values, ns_per_value).size();
  disturbed.lost = static_cast<std::size_t>(
      std::count(values.quiet_signs.begin(), values.quiet_signs.end(), false));
  disturbed.needed = kept_needed(values);
  disturbed.timed_again = values.timed_again;
  disturbed.every_value_counts = values.every_value_counts;
  return disturbed;
}

}  // namespace

std::optional<DisturbedFigure> disturbed_figure(const std::string& figure, const Repeated& values,
                                                double ns_per_value) {
  if (values.size() < MIN_JUDGED_REPETITIONS || holds(values, ns_per_value)) {
    return std::nullopt;
  }
  return figure_of(figure, values, ns_per_value);
}

std::optional<DisturbedFigure> disturbed_runs(const std::string& program, const Repeated& runs,
                                              double ns_per_ms) {
  std::optional<DisturbedFigure> found = disturbed_figure(program, runs, ns_per_ms);
  const double apart = spread(estimated_from(runs, ns_per_ms));
  if (found || runs.size() < MIN_JUDGED_REPETITIONS || apart <= NOISY_RUNS) {
    return found;
  }
  DisturbedFigure figure = figure_of(program, runs, ns_per_ms);
  figure.spread = apart;
  return figure;
}

PhaseVerdict judge_phase(const PhaseWatch& watch, const std::vector<DisturbedFigure>& figures,
                         bool judged, bool signs_per_value) {
  PhaseVerdict verdict;
  verdict.phase = watch.phase;
  verdict.figures = figures;
  verdict.judged = judged;
  verdict.switches = watch.involuntary_switches;
  if (!watch.cpu_shares.empty()) {
    const double lowest = *std::min_element(watch.cpu_shares.begin(), watch.cpu_shares.end());
    if (lowest < QUIET_CPU_SHARE) {
      verdict.lowest_cpu_share = lowest;
    }
  }
  if (watch.stolen_share && *watch.stolen_share > QUIET_STOLEN) {
    verdict.stolen_share = watch.stolen_share;
  }
  if (watch.clock_before_ghz && watch.clock_after_ghz && *watch.clock_before_ghz > 0) {
    const double moved =
        (*watch.clock_after_ghz - *watch.clock_before_ghz) / *watch.clock_before_ghz;
    if (std::fabs(moved) > QUIET_CLOCK) {
      verdict.clock_moved = moved;
    }
  }
  verdict.signs_disturbed =
      verdict.stolen_share || verdict.clock_moved || (!signs_per_value && verdict.lowest_cpu_share);
  verdict.disturbed = !verdict.figures.empty() || verdict.signs_disturbed;
  verdict.rounds_again = watch.rounds_again;
  verdict.seconds_again = watch.seconds_again;
  return verdict;
}

std::string in_order_name(const std::string& kernel) { return kernel + " in the programs' order"; }

namespace {

// A phase's figures by name, each with its repetitions and what turns a value into ns a call.
struct Figure {
  std::string name;
  const Repeated* values;
  double ns_per_value = 1;
};
using Figures = std::vector<Figure>;

Figures programs_figures(const Results& results) {
  Figures figures;
  for (const BenchmarkRow& row : results.benchmarks) {
    figures.push_back({row.program, &row.runs_ms, ns_per_ms(results)});
  }
  return figures;
}

Figures study_figures(const Study& study) {
  Figures figures{{"the loop", &study.loop_ns_per_call}};
  for (const KernelFigures& kernel : study.kernels) {
    figures.push_back({kernel.name, &kernel.ns_per_call});
  }
  for (const CallTimings& calls : study.calls) {
    figures.push_back({in_order_name(calls.kernel), &calls.own_order_ns_per_call});
    for (const GroupTiming& group : calls.groups) {
      if (group.pairs >= MIN_GROUP_PAIRS) {
        figures.push_back({group_name(calls.kernel, group), &group.ns_per_call});
      }
    }
  }
  for (const TwoPairTimings& two : study.two_pairs) {
    figures.push_back({in_order_name(two.peer), &two.ns_per_pair});
  }
  return figures;
}

Figures sweep_figures(const Study& study) {
  Figures figures{{"the loop", &study.sweep_loop_ns_per_call}};
  for (const SweepFigures& point : study.sweep) {
    figures.push_back({sweep_point_name(point.kernel, point.bits), &point.ns_per_call});
  }
  return figures;
}

}  // namespace

std::string group_name(const std::string& kernel, const GroupTiming& group) {
  return kernel + ", " + std::to_string(group.passes) + " passes" +
         (group.exit == CallExit::one ? "" : ", " + std::string(call_exit_name(group.exit)));
}

std::string sweep_point_name(const std::string& kernel, unsigned bits) {
  return kernel + " at " + std::to_string(bits) + " bits";
}

std::vector<PhaseVerdict> judge_phases(const Results& results) {
  std::vector<PhaseVerdict> verdicts;
  std::vector<PhaseWatch> watches = results.study.phases;
  if (results.programs_watch) {
    watches.insert(watches.begin(), *results.programs_watch);
  }
  for (const PhaseWatch& watch : watches) {
    const Figures figures = watch.phase == "programs" ? programs_figures(results)
                            : watch.phase == "study"  ? study_figures(results.study)
                                                      : sweep_figures(results.study);
    std::vector<DisturbedFigure> disturbed;
    bool judged = !figures.empty();
    std::size_t values = 0;
    std::size_t left_out = 0;
    for (const Figure& figure : figures) {
      judged = judged && figure.values->size() >= MIN_JUDGED_REPETITIONS;
      if (const std::optional<DisturbedFigure> found =
              watch.phase == "programs"
                  ? disturbed_runs(figure.name, *figure.values, figure.ns_per_value)
                  : disturbed_figure(figure.name, *figure.values, figure.ns_per_value)) {
        disturbed.push_back(*found);
      }
      values += figure.values->size();
      left_out +=
          figure.values->size() - estimated_from(*figure.values, figure.ns_per_value).size();
    }
    verdicts.push_back(judge_phase(watch, disturbed, judged, results.study.signs_per_value));
    verdicts.back().values = values;
    verdicts.back().left_out = left_out;
  }
  return verdicts;
}

const PhaseVerdict* find_verdict(const Results& results, std::string_view phase) {
  return find_named(results.worked_out.phases, &PhaseVerdict::phase, phase);
}

bool is_disturbed(const PhaseVerdict* verdict, std::string_view figure) {
  return verdict != nullptr &&
         std::any_of(verdict->figures.begin(), verdict->figures.end(),
                     [&](const DisturbedFigure& disturbed) { return disturbed.figure == figure; });
}
