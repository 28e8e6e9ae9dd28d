// Judging the phases of a run.
#include "report/figures/disturbance.h"

#include <algorithm>
#include <cmath>

#include "report/figures/call_bounds.h"

std::optional<DisturbedFigure> disturbed_figure(const std::string& figure,
                                                const std::vector<double>& ns) {
  if (ns.size() < 2) {
    return std::nullopt;
  }
  const double fastest = *std::min_element(ns.begin(), ns.end());
  const double middle = median(ns);
  const double beyond = middle - fastest;
  if (beyond > QUIET_SPREAD_NS && beyond > QUIET_SPREAD * std::fabs(fastest)) {
    return DisturbedFigure{figure, fastest, middle};
  }
  return std::nullopt;
}

PhaseVerdict judge_phase(const PhaseWatch& watch, const std::vector<DisturbedFigure>& figures,
                         bool judged) {
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
  verdict.disturbed = !verdict.figures.empty() || verdict.lowest_cpu_share ||
                      verdict.stolen_share || verdict.clock_moved;
  return verdict;
}

namespace {

// The figure of a kit kernel's calls in the programs' order, or of its peer of two pairs at
// once on the same pairs, as a verdict names it.
std::string in_order_name(const std::string& kernel) { return kernel + " in the programs' order"; }

// A phase's figures by name, each with its repetitions (in ns a call).
using Figures = std::vector<std::pair<std::string, std::vector<double>>>;

Figures programs_figures(const Results& results) {
  Figures figures;
  for (const BenchmarkRow& row : results.benchmarks) {
    std::vector<double> ns;
    for (const double ms : row.runs_ms) {
      ns.push_back(ms * 1e6 / results.calls_per_run);
    }
    figures.emplace_back(row.program, ns);
  }
  return figures;
}

Figures study_figures(const Study& study) {
  Figures figures{{"the loop", study.loop_ns_per_call}};
  for (const KernelFigures& kernel : study.kernels) {
    figures.emplace_back(kernel.name, kernel.ns_per_call);
  }
  for (const CallTimings& calls : study.calls) {
    figures.emplace_back(in_order_name(calls.kernel), calls.own_order_ns_per_call);
    for (const GroupTiming& group : calls.groups) {
      if (group.pairs >= MIN_GROUP_PAIRS) {
        figures.emplace_back(group_name(calls.kernel, group), group.ns_per_call);
      }
    }
  }
  for (const TwoPairTimings& two : study.two_pairs) {
    figures.emplace_back(in_order_name(two.peer), two.ns_per_pair);
  }
  return figures;
}

Figures sweep_figures(const Study& study) {
  Figures figures{{"the loop", study.sweep_loop_ns_per_call}};
  for (const SweepFigures& point : study.sweep) {
    figures.emplace_back(sweep_point_name(point.kernel, point.bits), point.ns_per_call);
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
    for (const auto& [name, ns] : figures) {
      judged = judged && ns.size() >= MIN_JUDGED_REPETITIONS;
      if (const std::optional<DisturbedFigure> figure = disturbed_figure(name, ns)) {
        disturbed.push_back(*figure);
      }
    }
    verdicts.push_back(judge_phase(watch, disturbed, judged));
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
