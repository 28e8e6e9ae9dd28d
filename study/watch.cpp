// Watching a phase of the measurements.
#include "study/watch.h"

#include <chrono>

#include "study/clock.h"

namespace {

double steady_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

WatchSource thread_watch_source() {
  return {steady_seconds, thread_cpu_seconds, involuntary_switches, machine_ticks,
          measure_clock_ghz};
}

WatchSource programs_watch_source() {
  return {steady_seconds, children_cpu_seconds, children_involuntary_switches, machine_ticks,
          measure_clock_ghz};
}

PhaseWatcher::PhaseWatcher(std::string phase, WatchSource source) : source_(std::move(source)) {
  watch_.phase = std::move(phase);
  watch_.clock_before_ghz = source_.clock_ghz();
  start_switches_ = source_.involuntary_switches();
  start_ticks_ = source_.ticks();
  start_cpu_ = source_.cpu_s();
  start_wall_ = source_.wall_s();
}

void PhaseWatcher::begin_repetition() {
  repetition_cpu_ = source_.cpu_s();
  repetition_wall_ = source_.wall_s();
}

void PhaseWatcher::end_repetition() {
  const double wall = source_.wall_s() - repetition_wall_;
  const std::optional<double> cpu = source_.cpu_s();
  if (cpu && repetition_cpu_ && wall > 0) {
    watch_.cpu_shares.push_back((*cpu - *repetition_cpu_) / wall);
  }
}

PhaseWatch PhaseWatcher::finish() {
  watch_.wall_s = source_.wall_s() - start_wall_;
  if (const std::optional<double> cpu = source_.cpu_s(); cpu && start_cpu_) {
    watch_.cpu_s = *cpu - *start_cpu_;
  }
  if (const std::optional<std::uint64_t> switches = source_.involuntary_switches();
      switches && start_switches_ && *switches >= *start_switches_) {
    watch_.involuntary_switches = *switches - *start_switches_;
  }
  if (const std::optional<MachineTicks> ticks = source_.ticks();
      ticks && start_ticks_ && ticks->total > start_ticks_->total &&
      ticks->stolen >= start_ticks_->stolen) {
    watch_.stolen_share = static_cast<double>(ticks->stolen - start_ticks_->stolen) /
                          static_cast<double>(ticks->total - start_ticks_->total);
  }
  watch_.clock_after_ghz = source_.clock_ghz();
  return watch_;
}
