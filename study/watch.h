// A watch over one phase of the report's measurements: what else the machine did meanwhile,
// as the system tells it. The wall time, the CPU time of the work watched (this thread's, or
// the programs'), with its share of the wall time in each repetition, the involuntary
// switches of that work, the share of the machine's time its host stole, and the clock
// before and after. figures/disturbance.h judges it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/load.h"
#include "study/repeated.h"

struct PhaseWatch {
  std::string phase;  // "programs", "study", "sweep"
  double wall_s = 0;
  std::optional<double> cpu_s;  // of the work watched, over the whole phase
  std::optional<std::uint64_t> involuntary_switches;
  std::optional<double> stolen_share;  // of the machine's time, by its host
  std::optional<double> clock_before_ghz;
  std::optional<double> clock_after_ghz;
  std::vector<double> cpu_shares;  // per repetition: the work's CPU time over the wall time
  unsigned rounds_again = 0;       // rounds of timing again what was disturbed
  double seconds_again = 0;        // and the wall time they took
};

// Where a watch reads what it tells: the system, or a test's made-up figures.
struct WatchSource {
  std::function<double()> wall_s;
  std::function<std::optional<double>()> cpu_s;
  std::function<std::optional<std::uint64_t>()> involuntary_switches;
  std::function<std::optional<MachineTicks>()> ticks;
  std::function<std::optional<double>()> clock_ghz;
};

// The system's, for a phase in this thread, and for one whose work is the programs it runs.
[[nodiscard]] WatchSource thread_watch_source();
[[nodiscard]] WatchSource programs_watch_source();

// The system's signs over one timing, from the stint's start until quiet() is asked.
class Stint {
 public:
  explicit Stint(const WatchSource& source);
  // Whether the work had the processor and the host stole little meanwhile (quiet_signs());
  // the stolen share only over a stint long enough for the system's ticks to tell it.
  [[nodiscard]] bool quiet() const;

 private:
  const WatchSource* source_;
  double wall_;
  std::optional<double> cpu_;
  std::optional<MachineTicks> ticks_;
};

// A stint shorter than this many of the machine's ticks (of all its processors) tells nothing
// of the time its host stole: Linux counts it in ticks of 10 ms.
inline constexpr std::uint64_t STINT_TICKS = 20;

// Watches a phase from its construction to finish(), its repetitions each between begin and
// end.
class PhaseWatcher {
 public:
  PhaseWatcher(std::string phase, WatchSource source);
  void begin_repetition();
  // Whether the repetition's signs were quiet (quiet_signs()).
  bool end_repetition();
  // A round of timing again what was disturbed, of the seconds given.
  void timed_again(double seconds);
  [[nodiscard]] const WatchSource& source() const { return source_; }
  [[nodiscard]] PhaseWatch finish();

 private:
  WatchSource source_;
  PhaseWatch watch_;
  double start_wall_;
  std::optional<double> start_cpu_;
  std::optional<std::uint64_t> start_switches_;
  std::optional<MachineTicks> start_ticks_;
  double repetition_wall_ = 0;
  std::optional<double> repetition_cpu_;
  std::optional<MachineTicks> repetition_ticks_;
};
