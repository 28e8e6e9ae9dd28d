// What bounds a kit kernel's call, measured: its calls grouped by kind (passes, exit) and
// timed where successive calls may overlap, a line through the groups of each exit whose
// slope is the overlapped pass, the exit in place, and the call predicted from the chain, the
// overlapped pass and one mispredicted branch, against the call measured in the programs'
// order.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "report/figures/results.h"

// What a line needs before its slope is used as the overlapped pass. A group's median stands
// a few percent off the line on a quiet machine (up to 5.4% in the reports of docs/reports):
// with fewer groups, or groups over fewer passes, that much noise moves the slope by more than
// the 10% a prediction is judged by, and a line through two or three groups fits them however
// they lie.
inline constexpr std::size_t MIN_LINE_GROUPS = 5;
inline constexpr std::uint32_t MIN_LINE_SPAN = 8;  // passes from its first group to its last
// The groups lie on a line where none departs from it by more than this share of the line's
// value there; beyond it, the line is "not a line".
inline constexpr double LINE_HOLDS = 0.10;

// A prediction within this share of the measured call explains it.
inline constexpr double PREDICTION_HOLDS = 0.10;

// The weighted line through the points of one exit that have MIN_GROUP_PAIRS pairs or more,
// and whether it holds (MIN_LINE_GROUPS, MIN_LINE_SPAN, LINE_HOLDS); none without two such
// points at two pass counts.
[[nodiscard]] std::optional<OverlapLine> overlap_line(std::span<const GroupPoint> points,
                                                      CallExit exit);

// The programs' order less the groups at the same mix: each group's cycles weighted by its
// share of the pairs.
[[nodiscard]] double exit_in_place(double measured, std::span<const GroupPoint> points);

// The kernel's call bound, from its groups, its chain, the mispredicted branch and the measured
// call, all in cycles: the overlapped pass from the lines that hold; no prediction where neither
// a chain nor such a line is there.
[[nodiscard]] CallBound bound_the_call(const std::string& kernel, std::vector<GroupPoint> points,
                                       double measured, std::optional<double> chain,
                                       double mispredicted_branch, double smallest_timed = 0);

// A peer's gain from two pairs in flight, measured and predicted by its kernel's bound: the
// kernel's call over the peer's pair.
[[nodiscard]] TwoPairGain two_pair_gain(const std::string& peer, const CallBound& bound,
                                        double passes_of_two, double cycles_per_pair,
                                        double mispredicted_branch);

// Each peer of two pairs at once timed on its kit kernel's calls' pairs, where that kernel has
// a prediction, in the results.
[[nodiscard]] std::vector<TwoPairGain> two_pair_gains(const Results& results);

// Each kit kernel's call bound from the results: none without the clock or the mispredicted
// branch.
[[nodiscard]] std::vector<CallBound> call_bounds(const Results& results);
