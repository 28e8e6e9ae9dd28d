// A figure timed in repetitions, and the one rule by which the report takes it, while it
// measures and after: which repetitions are quiet, what the figure is, and whether it holds.
// Noise on a machine only ever adds time (Chen and Revels 2016): a busy spell slows some
// repetitions and speeds none up, so a repetition far above the figure's fastest, or one
// whose work lost the processor, was disturbed and is left out; the figure is the median of
// the repetitions kept.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

// A quiet run's repetitions stand within 8% of their fastest (the programs and the study of
// every report of docs/reports, on Intel and AMD, native and under wine): one more than 15%,
// and 2 ns a call, above the fastest was disturbed.
inline constexpr double QUIET_SPREAD = 0.15;
inline constexpr double QUIET_SPREAD_NS = 2.0;
// A timing whose work ran less than this share of its wall time lost the processor to
// something else.
inline constexpr double QUIET_CPU_SHARE = 0.95;
// A host that stole more than this share of the machine's time, or a clock that moved by more
// than this share, disturbed what was timed meanwhile.
inline constexpr double QUIET_STOLEN = 0.02;
inline constexpr double QUIET_CLOCK = 0.05;

// The steps of timing again what was disturbed begin so: the report counts them beyond its
// planned steps.
inline constexpr std::string_view TIMING_AGAIN = "timing again ";

// The estimator, as a report file names it; and that of the reports from before it, whose
// every value counts.
inline constexpr std::string_view ESTIMATOR = "median of the quiet repetitions";
inline constexpr std::string_view EVERY_VALUE_ESTIMATOR = "median of every repetition";

struct Repeated {
  std::vector<double> values;     // one per repetition, in the order timed
  std::vector<bool> quiet_signs;  // per value: the system's signs were quiet while it was timed
  std::size_t timed_again = 0;    // the last values, timed again after the first round
  // A figure of a report from before the rule, read back: every value counts, and the figure
  // is the median of all, as that report gave it.
  bool every_value_counts = false;

  Repeated() = default;
  Repeated(std::initializer_list<double> list) : Repeated(std::vector<double>(list)) {}
  Repeated(std::vector<double> list) : values(std::move(list)), quiet_signs(values.size(), true) {}

  void push_back(double value, bool quiet = true) {
    values.push_back(value);
    quiet_signs.push_back(quiet);
  }
  // A value of a round of timing again.
  void again(double value, bool quiet) {
    push_back(value, quiet);
    ++timed_again;
  }
  void resize(std::size_t size, double value = 0) {
    values.resize(size, value);
    quiet_signs.resize(size, true);
    timed_again = std::min(timed_again, size);
  }
  [[nodiscard]] std::size_t size() const { return values.size(); }
  [[nodiscard]] bool empty() const { return values.empty(); }
  [[nodiscard]] double front() const { return values.front(); }
  [[nodiscard]] double operator[](std::size_t i) const { return values[i]; }
  [[nodiscard]] auto begin() const { return values.begin(); }
  [[nodiscard]] auto end() const { return values.end(); }
  bool operator==(const Repeated&) const = default;
};

// Whether the system's signs over a timing were quiet: its work had the processor
// (QUIET_CPU_SHARE) and the host stole little (QUIET_STOLEN); a sign the system does not tell
// speaks against nothing.
[[nodiscard]] bool quiet_signs(std::optional<double> cpu_share, std::optional<double> stolen_share);

// How far above a figure's fastest a quiet repetition stands at the most: QUIET_SPREAD of it,
// and QUIET_SPREAD_NS (a value times ns_per_value is ns a call: a program's run in ms over its
// calls), whichever is larger; the smallest figures' noise of a few tenths of a ns is a large
// share of them.
[[nodiscard]] double quiet_margin(double fastest, double ns_per_value = 1);

// The fastest value of quiet signs that another such value stands within quiet_margin() of:
// (the fastest of all, for a figure whose every value counts)
// a figure net of a loop comes out too fast where a busy spell slowed the loop, and a lone
// value far below the others is that, not the figure. The fastest of quiet signs where none
// is so seconded; of all, where none has quiet signs.
[[nodiscard]] double fastest(const Repeated& figure, double ns_per_value = 1);

// The values kept: those of quiet signs from the fastest to quiet_margin() above it (all, for a
// figure whose every value counts).
[[nodiscard]] std::vector<double> kept(const Repeated& figure, double ns_per_value = 1);

// What the figure is worked out from: the values kept; all, where none is (every value's signs
// were disturbed, as an old report's stand-in programs' are): what its median and intervals
// rest on.
[[nodiscard]] std::vector<double> estimated_from(const Repeated& figure, double ns_per_value = 1);

// How many kept values settle a figure: enough to hold (kept_needed()) and for an interval
// (BOOTSTRAP_MIN_SAMPLES, where its first round had as many: no fewer has one): 5 of 7. The report
// times a figure again until it is settled, within its budget; on a quiet machine every figure
// is settled by its first round.
[[nodiscard]] std::size_t kept_to_settle(const Repeated& figure);
[[nodiscard]] bool settled(const Repeated& figure, double ns_per_value = 1);

// How many kept values a figure needs to hold: a majority of its first round (4 of 7). On a
// quiet machine it keeps them all; a median more than QUIET_SPREAD above the fastest, the
// sign of a disturbed figure before, keeps less than half.
[[nodiscard]] std::size_t kept_needed(const Repeated& figure);
// A figure whose every value counts holds where its median stands within quiet_margin() of its
// fastest: the rule of the reports from before.
[[nodiscard]] bool holds(const Repeated& figure, double ns_per_value = 1);

// The figure: the median of estimated_from().
[[nodiscard]] double estimate(const Repeated& figure, double ns_per_value = 1);
