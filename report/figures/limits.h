// What a report can hold, figure by figure: the limits that its file's reader checks, and that
// the figures stage and the file's writer apply too, so that every file the report writes
// reads back. A figure outside them is no measurement's: a division or a chain of a pass that
// takes no time, a loop of a thousand branches.
#pragma once

struct Limit {
  double low;
  double high;
  [[nodiscard]] constexpr bool holds(double value) const { return value >= low && value <= high; }
};

// The smallest figure above 0 that a report holds, where 0 or below cannot be.
inline constexpr double SMALLEST_POSITIVE = 1e-9;
// A latency, a chain of a pass or a division is a few dozen cycles.
inline constexpr double MAX_CYCLES = 1e4;

// The cycles of work: a division, a chain or bound of a pass, the model's pass. Above 0: no
// measurement of work gives none.
inline constexpr Limit WORK_CYCLES{SMALLEST_POSITIVE, MAX_CYCLES};
// A latency as timed: a move between registers may take none, or a little below as noise
// leaves it, and a form the report marks implausible anything.
inline constexpr Limit TIMED_CYCLES{-MAX_CYCLES, MAX_CYCLES};
// Cycles that may be none, never fewer: a carrier's, the model's throughput of a block.
inline constexpr Limit SOME_CYCLES{0, MAX_CYCLES};
// The branches a pass of a loop runs.
inline constexpr Limit BRANCHES{0, 1000};
// A time net of the loop below this is too small to time: the noise of a figure net of a loop
// of a few ns is as large as it, and at or below 0 it is no time at all. No ratio or share is
// made of such a figure, and the report says it is too small to time.
inline constexpr double SMALLEST_TIMED_NS = 1.0;

// A clock that no processor runs at is a mistake.
inline constexpr Limit GHZ{0.01, 100};
