// Timing the chains and turning their times into cycles.
#include "study/latency.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "study/chains.h"
#include "study/clock.h"

namespace {

using Clock = std::chrono::steady_clock;

// Each timing about half a millisecond: short enough that a busy machine leaves some whole.
constexpr double TIMING_NS = 500'000;

// A chain's rounds for a timing of about TIMING_NS, from one short trial.
std::uint32_t rounds_for(void (*run)(std::uint32_t)) {
  constexpr std::uint32_t TRIAL = 64;
  run(TRIAL);  // wakes the unit up
  const double trial = fastest_ns([&] { run(TRIAL); });
  const double rounds = TIMING_NS / std::max(trial / TRIAL, 1.0);
  return static_cast<std::uint32_t>(std::clamp(rounds, 16.0, 1e6));
}

}  // namespace

double fastest_ns(const std::function<void()>& run) {
  double fastest = std::numeric_limits<double>::infinity();
  for (int timing = 0; timing < LATENCY_TIMINGS; ++timing) {
    const Clock::time_point start = Clock::now();
    run();
    fastest =
        std::min(fastest, std::chrono::duration<double, std::nano>(Clock::now() - start).count());
  }
  return fastest;
}

std::optional<double> Latencies::ghz() const {
  if (!clock_before_ghz || !clock_after_ghz ||
      std::fabs(*clock_after_ghz - *clock_before_ghz) > LATENCY_CLOCK_MOVED * *clock_before_ghz) {
    return std::nullopt;
  }
  return (*clock_before_ghz + *clock_after_ghz) / 2;
}

const InstructionLatency* Latencies::find(const std::string& key) const {
  for (const InstructionLatency& form : forms) {
    if (form.key == key && form.plausible) {
      return &form;
    }
  }
  return nullptr;
}

bool plausible_latency(const std::string& key, double cycles) {
  return key == "mov" ? cycles > -PLAUSIBLE_CYCLES : cycles >= PLAUSIBLE_CYCLES;
}

double instruction_cycles(double ns_per_link, double ghz, double carried, unsigned per_link) {
  return (ns_per_link * ghz - carried) / per_link;
}

Latencies measure_latencies() {
  Latencies latencies;
  const std::span<const InstructionChain> chains = instruction_chains();
  if (chains.empty()) {
    latencies.left_out = "no chains of instructions on this processor (neither x86 nor aarch64)";
    return latencies;
  }
  latencies.clock_before_ghz = measure_clock_ghz();
  std::vector<double> links;
  for (const InstructionChain& chain : chains) {
    const std::uint32_t rounds = rounds_for(chain.run);
    links.push_back(fastest_ns([&] { chain.run(rounds); }) / (double{CHAIN_LINKS} * rounds));
  }
  latencies.clock_after_ghz = measure_clock_ghz();
  const std::optional<double> ghz = latencies.ghz();
  if (!ghz) {
    latencies.left_out =
        "the clock moved by more than 5% around the latencies, or was not "
        "measured: none is used";
    return latencies;
  }
  // The carrier "and" is the first chain; "add" takes 1 cycle by the clock's own definition.
  const double carrier_and = links[0] * *ghz;
  for (std::size_t i = 0; i < chains.size(); ++i) {
    const InstructionChain& chain = chains[i];
    const double carried = chain.and_carriers * carrier_and + chain.add_carriers * 1.0;
    InstructionLatency form{chain.key, chain.shown,
                            instruction_cycles(links[i], *ghz, carried, chain.per_link), carried,
                            true};
    // A chain carried by an "and" that the core resolves while renaming is no chain.
    const bool carried_well =
        chain.and_carriers == 0 || latencies.forms.empty() || latencies.forms.front().plausible;
    form.plausible = carried_well && plausible_latency(form.key, form.cycles);
    if (form.key == "tzcnt" && !has_tzcnt()) {
      latencies.left_out = "tzcnt runs as bsf here (no BMI1): not timed";
      continue;
    }
    latencies.forms.push_back(form);
  }
  return latencies;
}
