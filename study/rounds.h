// Timing figures in rounds, each value with the system's signs over its own timing, and
// timing again, round by round within a budget, the figures that do not hold (repeated.h):
// each round times again what they are net of, and the figure they are set against, beside
// them, so that a neighbour's stretch of work lands on all alike.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "study/budget.h"
#include "study/repeated.h"
#include "study/watch.h"

// A figure timed in rounds: where its values go and how one is timed (ns a call, or a pair);
// net of its group's loop or not (a figure that is net of a loop of its own inside its timing);
// judged (timed again where it does not hold) or only kept.
struct RoundFigure {
  Repeated* values = nullptr;
  std::function<double()> time;
  bool net_of_loop = false;
  bool judged = true;
};

// Figures timed together: the loop they are net of first, where they are net of one.
struct RoundGroup {
  std::function<double()> loop;     // none where no figure is net of it
  Repeated* loop_values = nullptr;  // where the loop's own values go; nullptr: not kept
  std::vector<RoundFigure> figures;
  std::optional<std::size_t> anchor;  // the figure timed in every round again beside the others
};

// One round over the groups, every figure of each; a warm-up (keep false) keeps nothing.
void time_round(std::vector<RoundGroup>& groups, const WatchSource& source, bool keep);

// The most rounds of timing again a phase takes: the budget ends them first (a neighbour's
// stretch of work lasts seconds, and rounds of a few figures take milliseconds: a cap of a few
// rounds would spend them all within one stretch); this bounds what a report holds.
inline constexpr unsigned MOST_ROUNDS_AGAIN = 100;

// Rounds of timing again: while a judged figure is not settled (repeated.h: too few values kept
// to hold, or for an interval; those that do not hold first, alone), and a round fits the budget
// (its timings at seconds_per_timing each), one round over each group that has such a figure:
// its loop, its anchor and those figures, their values kept as timed again. Each round is a
// repetition of the watch; announce is told each round's figures and number first. Returns the
// rounds timed.
unsigned time_again(std::vector<RoundGroup>& groups, PhaseWatcher& watch, RetimeBudget& budget,
                    double seconds_per_timing, unsigned max_rounds,
                    const std::function<void(std::size_t figures, unsigned round)>& announce);
