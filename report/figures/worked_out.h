// The figures worked out from the measurements, once (work_out.h), for every renderer alike:
// the text, the JSON file, side by side and the pictures only format them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "study/call_groups.h"
#include "study/stats.h"

// A benchmark program's runs: their median, fastest and slowest, per call, and against the
// first program.
struct ProgramCost {
  std::string program;
  double median_ms = 0;
  double min_ms = 0;
  double max_ms = 0;
  double ns_per_call = 0;  // the median run over its calls
  Estimate ratio;          // of the medians to the first program's, with its interval
  double spread = 0;       // (max - min) / median
};

// A kernel or peer on the programs' pairs in this process, net of the loop.
struct KernelCost {
  std::string kernel;
  double ns_per_call = 0;                 // the median of the repetitions
  std::optional<double> ns_per_pass;      // where its passes were counted
  std::optional<double> cycles_per_call;  // where the clock is known
  std::optional<double> cycles_per_pass;
  // Of the medians to gcd_euclid_u's, with its interval; none where either is too small to time
  // (SMALLEST_TIMED_NS).
  std::optional<Estimate> ratio_to_euclid;
};

// Why binary is faster, per signedness: its passes against Euclid's, and the cost of its pass
// against Euclid's, none where a call of either is too small to time.
struct WhyFaster {
  std::string signedness;  // "unsigned", "signed"
  std::string euclid;
  std::string binary;
  double passes_ratio = 0;           // binary's passes per call over Euclid's
  std::optional<double> pass_ratio;  // binary's ns a pass over Euclid's
  double euclid_pass_ns = 0;
  double binary_pass_ns = 0;
  std::optional<double> euclid_pass_cycles;  // where the clock is known
  std::optional<double> binary_pass_cycles;
};

// A kernel's cycles per pass by a model or a bound, against the measurement: per pass, and
// per call (the passes per call times the cycles per pass, plus one mispredicted exit).
struct ModelAgainstMeasure {
  double measured_cycles_per_pass;
  double model_cycles_per_call;
  double measured_cycles_per_call;
  double difference;  // of the model per call, as a share of the measured, where it is timed
  bool timed = true;  // the measured call not too small to time (SMALLEST_TIMED_NS)
};

// A kit kernel's chain and LLVM's model of its pass, each against its measured call; none
// without the clock and the cost of a mispredicted branch.
struct KernelBoundFigures {
  std::string kernel;
  std::optional<ModelAgainstMeasure> by_chain;
  std::optional<ModelAgainstMeasure> by_model;
};

// The three phases that measure each kit kernel's ns a pass (figures/agreement.h).
enum class Phase { programs, study, sweep };

struct PhaseFigure {
  Phase phase;
  Estimate ns_per_pass;  // with the 95% interval where there is one
};

struct Agreement {
  std::string kernel;
  std::vector<PhaseFigure> figures;  // the phases that measured it
  std::optional<Phase> apart;        // the one phase that parts from the two others, which agree
  bool all_part = false;             // no two of the three (or the two) agree
};

// From which operand size on a binary kernel is faster than the Euclidean one of its
// signedness at every size of the sweep.
struct Crossover {
  bool measured = false;    // the sweep timed both kernels at some size
  unsigned from_bits = 0;   // 0: at no size
  bool every_size = false;  // from the sweep's first size on
};

// A kit kernel's group of calls of one kind: its passes, its exit, its pairs, and its median
// cycles per call.
struct GroupPoint {
  std::uint32_t passes = 0;
  CallExit exit = CallExit::one;
  std::uint64_t pairs = 0;
  double cycles_per_call = 0;
};

// Why a line's slope is not used: too few groups on it, too few passes between its first and
// its last, or a group departing from it; none where it holds.
enum class LineFault { none, few_groups, narrow, departs };

// The least-squares line through the groups of one exit (those of enough pairs), each weighted
// by its pairs: its slope is the cycles of a pass when calls overlap, the overlapped pass.
struct OverlapLine {
  CallExit exit = CallExit::one;
  std::size_t groups = 0;  // on the line
  std::uint64_t pairs = 0;
  double cycles_per_pass = 0;
  double intercept = 0;                // cycles per call at no pass
  double largest_departure = 0;        // of a group from the line, as a share of the line there
  std::uint32_t departing_passes = 0;  // the group that departs most
  std::uint32_t span = 0;              // passes from its first group to its last
  LineFault fault = LineFault::none;   // none: the groups lie on a line, and its slope is used
  [[nodiscard]] bool holds() const { return fault == LineFault::none; }
};

// Which bound a pass sits on: its chain of latencies, or the core's throughput when calls
// overlap.
enum class PassBound { chain, overlapped };

// What bounds a kit kernel's call, from parts measured apart from the programs' order, against
// the call measured in that order: per call, passes x the larger of the chain and the
// overlapped pass, plus one mispredicted branch.
struct CallBound {
  std::string kernel;
  std::uint64_t pairs = 0;  // the sample: the programs' first pairs
  double mean_passes = 0;   // of the sample
  std::vector<GroupPoint> groups;
  std::vector<OverlapLine> lines;         // one per exit with two groups of enough pairs
  std::optional<double> overlapped_pass;  // the slopes of the lines that hold, by their pairs
  double measured = 0;                    // cycles per call in the programs' order, same loop
  double exit_in_place = 0;               // the programs' order less the groups at the same mix
  std::optional<double> chain;
  double mispredicted_branch = 0;  // cycles of one, on random bytes
  double smallest_timed = 0;       // cycles: a measured figure below it is too small to time
  std::optional<double> prediction;
  PassBound sits_on = PassBound::chain;
  // Of the prediction from the measured call, as a share, where the call is not too small to
  // time.
  std::optional<double> departure;
};

// Two pairs in flight: a peer that runs a kit kernel's algorithm on two pairs at once, against
// the kernel's call in the same kind of loop (a table's, net of its own), and what the call's
// bounds predict: one loop of the larger passes of the two, each pass the larger of the chain
// and two overlapped passes, and one mispredicted exit for the two.
struct TwoPairGain {
  std::string peer;
  std::string kernel;
  double cycles_per_pair = 0;  // the peer's
  double cycles_per_call = 0;  // the kernel's, in the programs' order
  double gain = 0;             // the kernel's call over the peer's pair, where both are timed
  bool timed = false;          // neither is too small to time
  double passes_of_two = 0;    // the larger of two pairs' passes, on average
  double loop_pass = 0;        // the larger of the chain and two overlapped passes
  double predicted_per_pair = 0;
  double predicted_gain = 0;  // the kernel's predicted call over that
  PassBound sits_on = PassBound::chain;
};

// A figure that does not hold (study/repeated.h): its fastest and the median of all its
// repetitions, in ns a call; how many it kept, how many it needed, how many were timed again.
struct DisturbedFigure {
  std::string figure;  // "gcd_euclid_u", "the loop", "gcd_binary_u at 12 bits"
  double fastest = 0;
  double median = 0;
  std::size_t repetitions = 0;  // all its values, those timed again among them
  std::size_t kept = 0;
  std::size_t lost = 0;  // values left out as their work lost the processor
  std::size_t needed = 0;
  std::size_t timed_again = 0;
  bool every_value_counts = false;  // a report's from before the rule: no value was left out
  // A program's runs that hold by the rule but whose kept runs spread more than NOISY_RUNS:
  // that spread (max - min over median), which the figure and its ratios carry.
  std::optional<double> spread = std::nullopt;
};

// What the watch over a phase and its figures' repetitions say of it: each sign beyond what a
// quiet run shows, and the involuntary switches beside them. A phase is quiet only where its
// figures' spread could be judged and no sign was beyond what a quiet run shows.
struct PhaseVerdict {
  std::string phase;  // "programs", "study", "sweep"
  std::vector<DisturbedFigure> figures;
  std::optional<double> lowest_cpu_share;  // where a repetition ran below QUIET_CPU_SHARE
  std::optional<double> stolen_share;      // where above QUIET_STOLEN
  std::optional<double> clock_moved;       // where beyond QUIET_CLOCK, as a share
  std::optional<std::uint64_t> switches;   // of the phase, where the system counts them
  bool disturbed = false;                  // by a figure, or by signs over the whole phase
  // By signs that no repetition left out mends: the host's stolen time or the clock over the
  // phase (and, in a report from before, a repetition's work that lost the processor).
  bool signs_disturbed = false;
  bool judged = true;         // false: a figure of too few repetitions to judge its spread
  unsigned rounds_again = 0;  // rounds of timing again what was disturbed, and their seconds
  double seconds_again = 0;
  std::size_t values = 0;    // of its figures, in all
  std::size_t left_out = 0;  // of those, the values its figures are not worked out from
  [[nodiscard]] bool quiet() const { return judged && !disturbed; }
};

// The findings the report draws from its timings, each about a kernel, a peer or a signedness.
enum class FindingKind {
  why,        // binary's passes and cycles of a pass against Euclid's ("unsigned", "signed")
  agreement,  // whether the programs, the study and the sweep agree on each kit kernel's pass
  chain,      // a kit kernel's call against its chain
  model,      // LLVM's model of a kit kernel's pass against the pass measured
  call,       // which bound a kit kernel's pass sits on, and its call predicted
  lines,      // whether a kit kernel's groups of calls make a line
  two_pairs,  // what a peer of two pairs at once gains, against its prediction
  crossover,  // from which operand size binary is the faster ("unsigned", "signed")
};

// Why a finding is withheld: a phase it rests on was disturbed, or its quiet could not be judged.
enum class Withheld { no, disturbed, not_judged };

// A figure a finding rests on: its phase, and its name there ("gcd_binary_u at 32 bits").
struct FigureOf {
  std::string phase;
  std::string figure;
};

struct Finding {
  FindingKind kind = FindingKind::why;
  std::string subject;
  std::vector<std::string> phases;  // whose timings it rests on
  std::vector<FigureOf> figures;    // the figures of those phases it rests on
  Withheld withheld = Withheld::no;
};

struct WorkedOut {
  std::vector<ProgramCost> programs;
  std::optional<Estimate> unsigned_speedup;  // binary's over Euclid's program, as times as fast
  std::optional<Estimate> signed_speedup;
  std::vector<KernelCost> kernels;
  std::vector<WhyFaster> why;              // per signedness whose two kernels have counted passes
  std::vector<KernelBoundFigures> bounds;  // per kit kernel with a chain or a model
  std::vector<Agreement> agreements;       // per kit kernel with counted passes
  Crossover unsigned_crossover;
  Crossover signed_crossover;
  std::vector<CallBound> calls;        // per kit kernel whose calls were grouped, with a clock
  std::vector<TwoPairGain> two_pairs;  // per peer of two pairs at once, where its kernel has one
  std::vector<PhaseVerdict> phases;    // per phase watched
  std::vector<Finding> findings;       // each the report draws, stated or withheld
};
