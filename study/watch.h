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

struct PhaseWatch {
  std::string phase;  // "programs", "study", "sweep"
  double wall_s = 0;
  std::optional<double> cpu_s;  // of the work watched, over the whole phase
  std::optional<std::uint64_t> involuntary_switches;
  std::optional<double> stolen_share;  // of the machine's time, by its host
  std::optional<double> clock_before_ghz;
  std::optional<double> clock_after_ghz;
  std::vector<double> cpu_shares;  // per repetition: the work's CPU time over the wall time
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

// Watches a phase from its construction to finish(), its repetitions each between begin and
// end.
class PhaseWatcher {
 public:
  PhaseWatcher(std::string phase, WatchSource source);
  void begin_repetition();
  void end_repetition();
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
};
