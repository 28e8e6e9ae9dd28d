// Whether something else disturbed a phase of the report's measurements, from its own figures
// and the watch over it: a disturbed measurement is named as such, never explained as a
// kernel's cost. A figure is disturbed where it does not hold by the rule it was timed by
// (study/repeated.h): fewer than a majority of its repetitions quiet, even after timing it
// again; beside it, the time the host stole over the phase and the clock moving, which no
// repetition left out mends, and the switches the system counts. The work's CPU time against
// the wall time left out the repetitions that lost the processor; in a report from before
// that, whose figures kept them, it disturbs its phase.
#pragma once

#include <vector>

#include "report/figures/results.h"
#include "study/repeated.h"

// The fewest repetitions (or runs) whose spread tells a busy spell from the figure itself: one
// is no spread at all.
inline constexpr std::size_t MIN_JUDGED_REPETITIONS = 2;

// Whether a figure's repetitions do not hold (study/repeated.h: ns_per_value turns a value into
// ns a call); the figure where they do not, with its fastest and the median of all.
[[nodiscard]] std::optional<DisturbedFigure> disturbed_figure(const std::string& figure,
                                                              const Repeated& values,
                                                              double ns_per_value = 1);

// Whether a program's runs, per call, are disturbed: they do not hold (disturbed_figure), or
// those kept spread more than NOISY_RUNS, as a program's runs on a quiet machine do not.
[[nodiscard]] std::optional<DisturbedFigure> disturbed_runs(const std::string& program,
                                                            const Repeated& runs, double ns_per_ms);

// The verdict on a phase from its disturbed figures, whether its figures' spread could be
// judged at all, its watch, and whether its figures left out the repetitions whose work lost
// the processor (a report from before did not).
[[nodiscard]] PhaseVerdict judge_phase(const PhaseWatch& watch,
                                       const std::vector<DisturbedFigure>& figures,
                                       bool judged = true, bool signs_per_value = true);

// Each watched phase's verdict: the programs (each benchmark's runs, per call, by
// disturbed_runs), the study (the loop, each kernel, each kit kernel's calls in their own
// order, each group of calls of one kind that its lines stand on, and each peer of two pairs
// at once on the same pairs) and the sweep (each kernel at each size); judged where each
// figure has MIN_JUDGED_REPETITIONS.
[[nodiscard]] std::vector<PhaseVerdict> judge_phases(const Results& results);

// The verdict on a phase by its name, where it was watched; nullptr otherwise.
[[nodiscard]] const PhaseVerdict* find_verdict(const Results& results, std::string_view phase);

// The name of a sweep's point among the figures: "gcd_euclid_u at 4 bits".
[[nodiscard]] std::string sweep_point_name(const std::string& kernel, unsigned bits);

// Whether a figure of the phase is among its disturbed ones.
[[nodiscard]] bool is_disturbed(const PhaseVerdict* verdict, std::string_view figure);

// The name of a kit kernel's calls in the programs' order, or of its peer of two pairs at once
// on the same pairs, among the figures: "gcd_euclid_u in the programs' order".
[[nodiscard]] std::string in_order_name(const std::string& kernel);

// The name of a group of a kernel's calls among the figures: "gcd_binary_u, 20 passes, u is 1".
[[nodiscard]] std::string group_name(const std::string& kernel, const GroupTiming& group);
