// Whether something else disturbed a phase of the report's measurements, from its own figures
// and the watch over it: a disturbed measurement is named as such, never explained as a
// kernel's cost. The main sign is a figure whose repetitions spread more than a quiet run's
// (its median stands far above its fastest: a busy spell slows some repetitions, never speeds
// one up); beside it, the work's CPU time against the wall time, the time the host stole, the
// clock moving, and the switches the system counts.
#pragma once

#include <vector>

#include "report/figures/results.h"

// A quiet run's figures stand within 8% of their fastest repetition (the programs and the study
// of every report of docs/reports, on Intel and AMD, native and under wine): a median more than
// 15%, and 2 ns a call, above its fastest is a disturbed figure.
inline constexpr double QUIET_SPREAD = 0.15;
inline constexpr double QUIET_SPREAD_NS = 2.0;
// A repetition whose work ran less than this share of its wall time lost the processor to
// something else.
inline constexpr double QUIET_CPU_SHARE = 0.95;
// A host that stole more than this share of the machine's time, or a clock that moved by more
// than this share, disturbed the phase.
inline constexpr double QUIET_STOLEN = 0.02;
inline constexpr double QUIET_CLOCK = 0.05;

// The fewest repetitions (or runs) whose spread tells a busy spell from the figure itself: one
// is no spread at all.
inline constexpr std::size_t MIN_JUDGED_REPETITIONS = 2;

// Whether repetitions (in ns a call) spread more than a quiet run's; the figure where they do.
[[nodiscard]] std::optional<DisturbedFigure> disturbed_figure(const std::string& figure,
                                                              const std::vector<double>& ns);

// The verdict on a phase from its disturbed figures, whether its figures' spread could be
// judged at all, and its watch.
[[nodiscard]] PhaseVerdict judge_phase(const PhaseWatch& watch,
                                       const std::vector<DisturbedFigure>& figures,
                                       bool judged = true);

// Each watched phase's verdict: the programs (each benchmark's runs, per call), the study (the
// loop, each kernel, each kit kernel's calls in their own order, each group of calls of one
// kind that its lines stand on, and each peer of two pairs at once on the same pairs) and the
// sweep (each kernel at each size); judged where each figure has MIN_JUDGED_REPETITIONS.
[[nodiscard]] std::vector<PhaseVerdict> judge_phases(const Results& results);

// The verdict on a phase by its name, where it was watched; nullptr otherwise.
[[nodiscard]] const PhaseVerdict* find_verdict(const Results& results, std::string_view phase);

// The name of a sweep's point among the figures: "gcd_euclid_u at 4 bits".
[[nodiscard]] std::string sweep_point_name(const std::string& kernel, unsigned bits);

// Whether a figure of the phase is among its disturbed ones.
[[nodiscard]] bool is_disturbed(const PhaseVerdict* verdict, std::string_view figure);

// The name of a group of a kernel's calls among the figures: "gcd_binary_u, 20 passes, u is 1".
[[nodiscard]] std::string group_name(const std::string& kernel, const GroupTiming& group);
