// Running the study: pass counts, checks of the peers, timings and the fit.
#include "study/study.h"

#include <algorithm>
#include <span>

#include "study/branch.h"
#include "study/clock.h"
#include "study/fit.h"
#include "study/pairs.h"
#include "study/peers.h"
#include "study/timing.h"

namespace {

std::vector<unsigned> sweep_sizes(const StudySettings& settings) {
  std::vector<unsigned> sizes;
  for (unsigned bits = settings.sweep_from_bits; bits <= 32; bits += settings.sweep_step_bits) {
    sizes.push_back(bits);
  }
  return sizes;
}

double mean_passes(pass_counter passes, std::span<const Pair> pairs) {
  std::uint64_t total = 0;
  for (const Pair& pair : pairs) {
    total += passes(pair.first, pair.second);
  }
  return pairs.empty() ? 0.0 : static_cast<double>(total) / static_cast<double>(pairs.size());
}

// The sweep's pairs of one size, in both readings.
struct SizedPairs {
  unsigned bits;
  std::vector<Pair> unsigned_pairs;
  std::vector<Pair> signed_pairs;
  [[nodiscard]] const std::vector<Pair>& for_kernel(const StudiedKernel& kernel) const {
    return kernel.is_signed ? signed_pairs : unsigned_pairs;
  }
};

}  // namespace

void check_against_euclid(const StudiedKernel& peer, std::span<const Pair> pairs) {
  for (const Pair& pair : pairs) {
    const std::uint32_t got = peer.kernel(pair.first, pair.second);
    const std::uint32_t want = gcd_euclid_u(pair.first, pair.second);
    if (got != want) {
      throw WrongAnswer(peer.name + "(" + std::to_string(pair.first) + ", " +
                        std::to_string(pair.second) + ") gave " + std::to_string(got) +
                        ", gcd_euclid_u gives " + std::to_string(want));
    }
  }
}

std::vector<StudiedKernel> studied_kernels() {
  std::vector<StudiedKernel> kernels{
      {"gcd_euclid_u", gcd_euclid_u, passes_euclid_u, false, EUCLID_PASSES_PER_BIT},
      {"gcd_euclid_s", gcd_euclid_s, passes_euclid_s, true, EUCLID_PASSES_PER_BIT},
      {"gcd_binary_u", gcd_binary_u, passes_binary_u, false, BINARY_PASSES_PER_BIT},
      {"gcd_binary_s", gcd_binary_s, passes_binary_s, true, BINARY_PASSES_PER_BIT},
  };
  for (const Peer& peer : peers()) {
    kernels.push_back({peer.name, peer.kernel, nullptr, false, 0.0});
  }
  return kernels;
}

std::size_t study_steps(const StudySettings& settings) {
  return 8 + 2 * (1 + std::size_t{settings.repetitions});
}

std::vector<std::vector<double>> events_per_call(const std::vector<StudiedKernel>& kernels,
                                                 std::uint32_t count, std::span<const Event> events,
                                                 std::string& why) {
  std::optional<EventCounters> counters = EventCounters::open(events, why);
  if (!counters) {
    return {};
  }
  const auto per_call = [&](gcd_kernel kernel) {
    counters->start();
    static_cast<void>(ns_per_call_on_drawn_pairs(kernel, count));
    std::vector<double> counts;
    for (const std::uint64_t total : counters->stop()) {
      counts.push_back(static_cast<double>(total) / count);
    }
    return counts;
  };
  static_cast<void>(per_call(empty_kernel));  // warms up, as the timings do
  const std::vector<double> loop = per_call(empty_kernel);
  std::vector<std::vector<double>> all;
  for (const StudiedKernel& kernel : kernels) {
    std::vector<double> counts = per_call(kernel.kernel);
    for (std::size_t i = 0; i < counts.size(); ++i) {
      counts[i] -= loop[i];
    }
    all.push_back(counts);
  }
  return all;
}

Study run_study(const std::vector<StudiedKernel>& kernels, const StudySettings& settings,
                const StudyProgress& progress) {
  Study study;
  study.settings = settings;
  progress("measuring the clock");
  study.clock_before_ghz = measure_clock_ghz();

  progress("checking the peers and counting passes");
  const std::vector<Pair> drawn = drawn_pairs(settings.drawn_pairs);
  std::vector<SizedPairs> sized;
  for (const unsigned bits : sweep_sizes(settings)) {
    sized.push_back({bits, uniform_pairs(bits, false, settings.sweep_pairs, settings.seed + bits),
                     uniform_pairs(bits, true, settings.sweep_pairs, settings.seed + bits)});
  }
  for (const StudiedKernel& kernel : kernels) {
    if (kernel.passes == nullptr) {
      check_against_euclid(kernel, drawn);
      for (const SizedPairs& size : sized) {
        check_against_euclid(kernel, size.unsigned_pairs);
      }
    }
    KernelFigures figures{kernel.name, {}, std::nullopt};
    if (kernel.passes != nullptr) {
      figures.passes_per_call = mean_passes(kernel.passes, drawn);
    }
    study.kernels.push_back(figures);
    for (const SizedPairs& size : sized) {
      SweepFigures point{kernel.name, size.bits, {}, std::nullopt};
      if (kernel.passes != nullptr) {
        point.passes_per_call = mean_passes(kernel.passes, size.for_kernel(kernel));
      }
      study.sweep.push_back(point);
    }
  }

  // Repetition 0 warms up caches, predictors and clocks and is not kept. Each repetition
  // times the loop alone next to the kernels, and every figure kept is net of it.
  const unsigned total = settings.repetitions + 1;
  for (unsigned repetition = 0; repetition < total; ++repetition) {
    progress("timing on the programs' pairs (" + std::to_string(repetition + 1) + " of " +
             std::to_string(total) + ")");
    const double loop = ns_per_call_on_drawn_pairs(empty_kernel, settings.drawn_pairs);
    for (std::size_t i = 0; i < kernels.size(); ++i) {
      const double ns = ns_per_call_on_drawn_pairs(kernels[i].kernel, settings.drawn_pairs);
      if (repetition > 0) {
        study.kernels[i].ns_per_call.push_back(ns - loop);
      }
    }
    if (repetition > 0) {
      study.loop_ns_per_call.push_back(loop);
    }
  }
  for (unsigned repetition = 0; repetition < total; ++repetition) {
    progress("timing the sweep over operand sizes (" + std::to_string(repetition + 1) + " of " +
             std::to_string(total) + ")");
    double loop_total = 0;
    for (std::size_t s = 0; s < sized.size(); ++s) {
      for (const bool is_signed : {false, true}) {
        const std::vector<Pair>& pairs =
            is_signed ? sized[s].signed_pairs : sized[s].unsigned_pairs;
        // The table is brought into the cache first: timed cold, the loop alone would cost
        // more than the loop around a kernel on the same, by then cached, pairs.
        static_cast<void>(ns_per_call_on_pairs(empty_kernel, pairs));
        const double loop = ns_per_call_on_pairs(empty_kernel, pairs);
        loop_total += loop;
        for (std::size_t i = 0; i < kernels.size(); ++i) {
          if (kernels[i].is_signed != is_signed) {
            continue;
          }
          const double ns = ns_per_call_on_pairs(kernels[i].kernel, pairs);
          if (repetition > 0) {
            study.sweep[i * sized.size() + s].ns_per_call.push_back(ns - loop);
          }
        }
      }
    }
    if (repetition > 0) {
      study.sweep_loop_ns_per_call.push_back(loop_total / static_cast<double>(2 * sized.size()));
    }
  }

  progress("counting the processor's events");
  std::vector<StudiedKernel> kit;
  for (const StudiedKernel& kernel : kernels) {
    if (kernel.passes != nullptr) {
      kit.push_back(kernel);
    }
  }
  constexpr Event HARDWARE[] = {Event::cycles, Event::instructions, Event::branch_misses};
  const std::vector<std::vector<double>> counted =
      events_per_call(kit, settings.drawn_pairs, HARDWARE, study.counters_left_out);
  for (std::size_t i = 0; i < counted.size(); ++i) {
    study.counters.push_back({kit[i].name, counted[i][0], counted[i][1], counted[i][2]});
  }

  progress("counting how the passes spread");
  study.distributions = pass_distributions(
      std::span(drawn).first(std::min<std::size_t>(drawn.size(), DISTRIBUTION_PAIRS)));
  progress("timing the latencies of the kernels' instructions");
  study.latencies = measure_latencies();
  progress("timing the divider on Euclid's own operands");
  study.divider = time_divider(
      std::span(drawn).first(std::min<std::size_t>(drawn.size(), DIVIDER_PAIRS)), study.latencies);

  progress("measuring a mispredicted branch");
  study.mispredicted_branch_ns = mispredicted_branch_ns();
  progress("measuring the clock again");
  study.clock_after_ghz = measure_clock_ghz();

  for (std::size_t i = 0; i < kernels.size(); ++i) {
    std::vector<double> bits;
    std::vector<double> passes;
    for (std::size_t s = 0; s < sized.size(); ++s) {
      const SweepFigures& point = study.sweep[i * sized.size() + s];
      if (point.passes_per_call && point.bits >= settings.fit_from_bits) {
        bits.push_back(point.bits);
        passes.push_back(*point.passes_per_call);
      }
    }
    if (const std::optional<Line> line = least_squares(bits, passes)) {
      study.passes_per_bit.push_back({kernels[i].name, line->slope, kernels[i].passes_per_bit});
    }
  }
  return study;
}
