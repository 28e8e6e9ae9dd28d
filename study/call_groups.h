// The kit kernels' calls on the programs' first pairs, sorted by the kind of call: the passes
// each makes and, in the binary loop, the exit it leaves by, seen through the kernels' own
// loops. Calls of one kind leave their loop at a branch the core learns to predict after a
// few calls, so that successive calls may overlap as far as the core allows: a group's time
// per call against its passes gives the cycles of a pass when calls overlap. The same pairs
// in the programs' own order, timed in the same loop, make random passes and an exit that
// cannot be predicted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kernels/steps.h"
#include "study/pairs.h"
#include "study/repeated.h"

// The sample grouped: the programs' first pairs, as many as the study times (fewer where it
// times fewer).
inline constexpr std::uint32_t GROUPED_PAIRS = 100'000;

// The exit a call leaves its loop by: Euclid's loop has one; a binary call with no pass (a
// zero word) none.
enum class CallExit { one, u_is_one, v_is_one, u_equals_v };

// The exit's name: "" for Euclid's one exit, "u is 1", "v is 1", "u equals v".
[[nodiscard]] const char* call_exit_name(CallExit exit);

struct CallGroup {
  std::uint32_t passes = 0;
  CallExit exit = CallExit::one;
  std::vector<Pair> pairs;  // in the programs' order
};

// The groups of the named kit kernel on the pairs (each read as the kernel reads it), by
// passes, then exit.
[[nodiscard]] std::vector<CallGroup> group_calls(const std::string& kernel,
                                                 std::span<const Pair> pairs);

// A group of fewer pairs is left off the lines, and neither judged nor timed again: its median
// stands on too few calls to stand for its kind (the tails of the pass counts, a few dozen pairs
// of 100,000).
inline constexpr std::uint64_t MIN_GROUP_PAIRS = 100;

// A group is timed on its table repeated to at least this many calls: a small group is timed
// as long as a large one, the predictor's first few calls a small part of it.
inline constexpr std::size_t GROUP_TIMED_CALLS = 4096;

// The mean over the pairs taken two at a time of the larger of their passes; where they are
// odd, the last goes with the first, as the loop of two pairs at once takes them.
[[nodiscard]] double mean_passes_of_two(const std::vector<std::uint32_t>& passes);

// The group's table, repeated to at least GROUP_TIMED_CALLS calls.
[[nodiscard]] std::vector<Pair> timed_table(const std::vector<Pair>& pairs);

// The timings of one kit kernel's groups, and of the same pairs in their own order; every
// figure net of the empty kernel on the same table, one per repetition.
struct GroupTiming {
  std::uint32_t passes = 0;
  CallExit exit = CallExit::one;
  std::uint64_t pairs = 0;  // of the sample in this group
  Repeated ns_per_call;
};
struct CallTimings {
  std::string kernel;
  std::uint64_t pairs = 0;  // the sample: the programs' first pairs
  // The mean of the larger passes of two consecutive pairs of the sample: the passes of a loop
  // that takes two pairs at once, until both are done.
  double passes_of_two = 0;
  std::vector<GroupTiming> groups;
  Repeated own_order_ns_per_call;
};

// A peer that runs a kit kernel's algorithm on two pairs at once, timed on the same pairs as
// the kernel's calls in the programs' order, in the same repetitions: ns per pair, net of its
// own empty loop on those pairs, one per repetition.
struct TwoPairTimings {
  std::string peer;
  std::string kernel;  // whose algorithm it runs
  Repeated ns_per_pair;
};
