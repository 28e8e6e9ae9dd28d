// The latencies of the instructions on the kit kernels' loops, measured in this process: each
// form timed as a chain of its own (study/chains.h), the fastest of several short timings, in
// cycles of the clock measured around them, with the instructions that only carry the
// dependency taken off.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// One form's latency.
struct InstructionLatency {
  std::string key;        // as the analysis of machine code names it: "div", "cmp_cmovbe"
  std::string shown;      // as the report shows it: "div r32, quotient 1"
  double cycles = 0;      // of one instruction of the form, the carriers taken off
  double carried = 0;     // cycles of the carriers taken off each link
  bool plausible = true;  // an arithmetic form below PLAUSIBLE_CYCLES is not
};

// Below this an arithmetic instruction's latency is no latency: its chain was broken (the core
// resolved the carrier while renaming, say) or the clock is wrong. A mov between registers
// may rightly take none, where the core eliminates it.
inline constexpr double PLAUSIBLE_CYCLES = 0.8;

// A clock that moves by more than this around the latencies makes them unusable.
inline constexpr double LATENCY_CLOCK_MOVED = 0.05;

struct Latencies {
  std::vector<InstructionLatency> forms;  // the carrier "and" first
  std::optional<double> clock_before_ghz;
  std::optional<double> clock_after_ghz;
  std::string left_out;  // what could not be timed, and why; "" if nothing

  // The clock of the latencies: the mean of the two, if both exist and agree.
  [[nodiscard]] std::optional<double> ghz() const;
  // The latency of a form by its key (the first of its kind), if timed and plausible.
  [[nodiscard]] const InstructionLatency* find(const std::string& key) const;
};

// Whether a form's cycles are a latency: an arithmetic form's at least PLAUSIBLE_CYCLES; a mov's
// anything from 0.
[[nodiscard]] bool plausible_latency(const std::string& key, double cycles);

// Cycles per link of a chain from its ns per link, the clock and the carriers: the link's
// cycles, less the carriers', over the instructions of the form in it.
[[nodiscard]] double instruction_cycles(double ns_per_link, double ghz, double carried,
                                        unsigned per_link);

// Times every chain of this processor; forms it cannot time are named in left_out.
[[nodiscard]] Latencies measure_latencies();

// The fastest of LATENCY_TIMINGS timings of run(), in ns: a busy machine only makes a timing
// slower.
inline constexpr int LATENCY_TIMINGS = 15;
[[nodiscard]] double fastest_ns(const std::function<void()>& run);
