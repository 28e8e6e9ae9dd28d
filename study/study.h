// The report's study of the kernels in its own process: passes per call and the cost of one
// pass on the benchmark programs' pairs, the cost against operand size (the sweep), and
// passes per bit against the constants of the literature. Peers are measured alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "kernels/gcd.h"
#include "kernels/passes.h"
#include "platform/counters.h"
#include "study/budget.h"
#include "study/call_groups.h"
#include "study/distributions.h"
#include "study/divider.h"
#include "study/latency.h"
#include "study/pairs.h"
#include "study/peers.h"
#include "study/repeated.h"
#include "study/watch.h"

struct StudiedKernel {
  std::string name;
  gcd_kernel kernel;              // nullptr for a peer that takes two pairs at once
  pass_counter passes;            // nullptr for a peer, whose passes the kit cannot count
  bool is_signed;                 // reads its words as signed: the sweep gives it signed operands
  double passes_per_bit;          // the constant of its algorithm, 0 where none applies
  two_pair_kernel two = nullptr;  // a peer of two pairs at once, timed per pair
};

// The kit's four kernels, then the peers of this build.
[[nodiscard]] std::vector<StudiedKernel> studied_kernels();

// A disturbed run grows by at most about half (the report takes about 27 s on two cores), and
// a quiet one, which has nothing to time again, not at all.
inline constexpr unsigned DEFAULT_RETIME_SECONDS = 10;
inline constexpr unsigned MAX_RETIME_SECONDS = 3600;
// What the report suggests where that was not enough: five times as much.
inline constexpr unsigned MORE_RETIME_SECONDS = 5 * DEFAULT_RETIME_SECONDS;

struct StudySettings {
  std::uint32_t drawn_pairs = 1'000'000;  // a prefix of the benchmark programs' pairs
  unsigned repetitions = 7;               // of every timing, after one warm-up repetition
  std::size_t sweep_pairs = 1U << 17;     // per operand size
  unsigned sweep_from_bits = 1;
  unsigned sweep_step_bits = 1;  // sizes sweep_from_bits, +step, ..., up to 32
  unsigned fit_from_bits = 16;   // passes per bit are fitted from here to 32 bits
  std::uint64_t seed = 2026;     // of the sweep's std::mt19937_64
  // Seconds the study may spend timing again what was disturbed (with the programs' runs, where
  // the report shares one budget with them); 0: nothing is timed again.
  unsigned retime_seconds = DEFAULT_RETIME_SECONDS;
};

struct KernelFigures {
  std::string name;
  Repeated ns_per_call;  // the loop's own cost subtracted, one per repetition
  std::optional<double> passes_per_call;
};

struct SweepFigures {
  std::string kernel;
  unsigned bits;
  Repeated ns_per_call;  // as above
  std::optional<double> passes_per_call;
};

// The processor's own counts around one kit kernel's calls on the programs' pairs, in user
// space, per call and net of the loop.
struct KernelCounters {
  std::string kernel;
  double cycles = 0;
  double instructions = 0;
  double branch_misses = 0;
};

struct PassesPerBit {
  std::string kernel;
  double measured;  // slope of passes per call against bits
  double theory;
};

struct Study {
  StudySettings settings;
  Repeated loop_ns_per_call;           // the programs' loop with the empty kernel
  Repeated sweep_loop_ns_per_call;     // the sweep's loop, mean over sizes and readings
  std::vector<KernelFigures> kernels;  // on the programs' pairs
  std::vector<SweepFigures> sweep;
  std::vector<PassesPerBit> passes_per_bit;
  // The processor's clock before the timings and after them, where it can be measured.
  std::optional<double> clock_before_ghz;
  std::optional<double> clock_after_ghz;
  std::optional<double> mispredicted_branch_ns;  // one mispredicted branch, where measured
  std::vector<KernelCounters> counters;          // where the system gives hardware counters
  std::string counters_left_out;                 // why there are none, where there are none
  Latencies latencies;                           // of the instructions on the kernels' loops
  std::vector<DividerFigures> divider;           // on Euclid's own operands
  std::vector<PassDistribution> distributions;   // of the kit kernels' passes
  std::vector<CallTimings> calls;                // the kit kernels' calls by their kind
  std::vector<TwoPairTimings> two_pairs;         // the peers of two pairs at once, on those pairs
  std::vector<PhaseWatch> phases;                // the watches over the study and the sweep
  // Each value carries the signs over its own timing, and the figures leave out those whose
  // signs were not quiet; false for a report from before, whose figures kept every value.
  bool signs_per_value = true;

  // The clock that turns ns into cycles: the mean of the two measurements, if both exist.
  [[nodiscard]] std::optional<double> ghz() const {
    if (!clock_before_ghz || !clock_after_ghz) {
      return std::nullopt;
    }
    return (*clock_before_ghz + *clock_after_ghz) / 2;
  }
};

// A peer gave a different answer from gcd_euclid_u: its figures would mean nothing.
class WrongAnswer : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws WrongAnswer, naming the first pair, where the kernel's answer is not gcd_euclid_u's
// (a peer of two pairs at once: on the pairs two at a time, as it is timed).
void check_against_euclid(const StudiedKernel& kernel, std::span<const Pair> pairs);
// The same against gcd_euclid_u's answers on the pairs, worked out before (euclid_answers).
void check_against_euclid(const StudiedKernel& kernel, std::span<const Pair> pairs,
                          std::span<const std::uint32_t> answers);
[[nodiscard]] std::vector<std::uint32_t> euclid_answers(std::span<const Pair> pairs);

// Counts the events around count calls of each kernel on the programs' pairs, and around
// the loop alone: per kernel, per event, the count per call net of the loop. Empty, with the
// reason in why, where the events cannot be counted.
[[nodiscard]] std::vector<std::vector<double>> events_per_call(
    const std::vector<StudiedKernel>& kernels, std::uint32_t count, std::span<const Event> events,
    std::string& why);

// Progress: called once before each step, with what the step does.
using StudyProgress = std::function<void(const std::string& step)>;

// How many times run_study calls its progress function.
[[nodiscard]] std::size_t study_steps(const StudySettings& settings);

// Measures the clock, checks every peer against gcd_euclid_u on all unsigned pairs (throws
// WrongAnswer), counts passes, then times: repetitions outermost, so that a slow spell of the
// machine falls on all kernels alike, the kernels on the programs' pairs, then the kit
// kernels' calls by their kind, then the sweep, each phase watched by a watch that reads its
// source, and in each the figures that do not hold timed again (study/rounds.h) within the
// budget (the study's own, of settings.retime_seconds, where none is given); then counts the
// processor's events, times the latencies of the kernels' instructions and the divider on
// Euclid's own operands, measures a mispredicted branch and the clock again.
[[nodiscard]] Study run_study(const std::vector<StudiedKernel>& kernels,
                              const StudySettings& settings, const StudyProgress& progress,
                              const WatchSource& source = thread_watch_source(),
                              RetimeBudget* budget = nullptr);
