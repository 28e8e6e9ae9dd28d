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

namespace {

// The share of the machine's time its host stole between two readings, where enough ticks
// passed to tell it.
std::optional<double> stolen_between(const std::optional<MachineTicks>& before,
                                     const std::optional<MachineTicks>& after,
                                     std::uint64_t fewest_ticks) {
  if (!before || !after || after->total < before->total + fewest_ticks ||
      after->stolen < before->stolen) {
    return std::nullopt;
  }
  return static_cast<double>(after->stolen - before->stolen) /
         static_cast<double>(after->total - before->total);
}

}  // namespace

Stint::Stint(const WatchSource& source)
    : source_(&source), wall_(source.wall_s()), cpu_(source.cpu_s()), ticks_(source.ticks()) {}

bool Stint::quiet() const {
  const double wall = source_->wall_s() - wall_;
  const std::optional<double> cpu = source_->cpu_s();
  const std::optional<double> share =
      cpu && cpu_ && wall > 0 ? std::optional<double>((*cpu - *cpu_) / wall) : std::nullopt;
  return quiet_signs(share, stolen_between(ticks_, source_->ticks(), STINT_TICKS));
}

void PhaseWatcher::begin_repetition() {
  repetition_ticks_ = source_.ticks();
  repetition_cpu_ = source_.cpu_s();
  repetition_wall_ = source_.wall_s();
}

bool PhaseWatcher::end_repetition() {
  const double wall = source_.wall_s() - repetition_wall_;
  const std::optional<double> cpu = source_.cpu_s();
  std::optional<double> share;
  if (cpu && repetition_cpu_ && wall > 0) {
    share = (*cpu - *repetition_cpu_) / wall;
    watch_.cpu_shares.push_back(*share);
  }
  return quiet_signs(share, stolen_between(repetition_ticks_, source_.ticks(), STINT_TICKS));
}

void PhaseWatcher::timed_again(double seconds) {
  ++watch_.rounds_again;
  watch_.seconds_again += seconds;
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
  watch_.stolen_share = stolen_between(start_ticks_, source_.ticks(), 1);
  watch_.clock_after_ghz = source_.clock_ghz();
  return watch_;
}
