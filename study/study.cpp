// Running the study: pass counts, checks of the peers, timings and the fit.
#include "study/study.h"

#include <algorithm>
#include <future>
#include <span>

#include "study/branch.h"
#include "study/clock.h"
#include "study/fit.h"
#include "study/pairs.h"
#include "study/peers.h"
#include "study/rounds.h"
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

// A phase of timings in rounds: its warm-up round (kept: nothing), its repetitions, each
// watched, then the rounds of timing again what does not hold, within the budget's share.
// Returns the seconds of one timing in its repetitions, for the budget.
void time_phase(std::vector<RoundGroup>& warm_up, std::vector<RoundGroup>& groups,
                const StudySettings& settings, const std::string& what,
                const StudyProgress& progress, PhaseWatcher& watch, RetimeBudget& budget,
                double share, const std::function<void()>& after_repetition = {}) {
  const unsigned total = settings.repetitions + 1;
  const WatchSource& source = watch.source();
  double timed_s = 0;
  std::size_t timings = 0;
  for (unsigned repetition = 0; repetition < total; ++repetition) {
    progress(what + " (" + std::to_string(repetition + 1) + " of " + std::to_string(total) + ")");
    if (repetition == 0) {
      time_round(warm_up, source, false);
      continue;
    }
    const double start = source.wall_s();
    watch.begin_repetition();
    time_round(groups, source, true);
    watch.end_repetition();
    timed_s += source.wall_s() - start;
    for (const RoundGroup& group : groups) {
      timings += group.figures.size() + (group.loop ? 1 : 0);
    }
    if (after_repetition) {
      after_repetition();
    }
  }
  budget.begin_phase(share);
  // Nothing is judged on one repetition: nothing is timed again.
  if (settings.repetitions < 2 || timings == 0) {
    return;
  }
  static_cast<void>(time_again(
      groups, watch, budget, timed_s / static_cast<double>(timings), MOST_ROUNDS_AGAIN,
      [&](std::size_t figures, unsigned round) {
        progress(std::string(TIMING_AGAIN) + what.substr(7) + ": " + std::to_string(figures) +
                 (figures == 1 ? " figure" : " figures") + ", round " + std::to_string(round));
      }));
}

// ns per call of the kernel on the table, net of the empty kernel on the same table, the table
// brought into the cache first.
double net_ns_per_call(gcd_kernel kernel, std::span<const Pair> table) {
  static_cast<void>(ns_per_call_on_pairs(empty_kernel, table));
  const double loop = ns_per_call_on_pairs(empty_kernel, table);
  return ns_per_call_on_pairs(kernel, table) - loop;
}

// ns per pair of a kernel of two pairs at once on the table, net of its own empty loop on the
// same table.
double net_ns_per_pair(two_pair_kernel kernel, std::span<const Pair> table) {
  static_cast<void>(ns_per_pair_two_at_a_time(empty_two_pair_kernel, table));
  const double loop = ns_per_pair_two_at_a_time(empty_two_pair_kernel, table);
  return ns_per_pair_two_at_a_time(kernel, table) - loop;
}

// Each kit kernel's calls on the programs' first pairs, by their kind and in their own order,
// in the table loop, and beside them the peer that runs its algorithm on two pairs at once, on
// the same pairs; repetitions outermost, as for the kernels. Every figure is net of its own
// empty loop, timed just before it on the same table; gcd_euclid_u's calls in their order are
// timed again beside whatever is.
void time_call_groups(const std::vector<StudiedKernel>& kernels, std::span<const Pair> drawn,
                      const StudySettings& settings, const StudyProgress& progress,
                      PhaseWatcher& watch, RetimeBudget& budget, Study& study) {
  const std::span<const Pair> sample =
      drawn.first(std::min<std::size_t>(drawn.size(), GROUPED_PAIRS));
  std::vector<const StudiedKernel*> kit;
  std::vector<std::vector<std::vector<Pair>>> tables;  // per kit kernel, per group
  for (const StudiedKernel& kernel : kernels) {
    if (kernel.passes == nullptr) {
      continue;
    }
    kit.push_back(&kernel);
    std::vector<std::uint32_t> passes;
    for (const Pair& pair : sample) {
      passes.push_back(kernel.passes(pair.first, pair.second));
    }
    CallTimings timing{kernel.name, sample.size(), mean_passes_of_two(passes), {}, {}};
    tables.emplace_back();
    for (const CallGroup& group : group_calls(kernel.name, sample)) {
      timing.groups.push_back({group.passes, group.exit, group.pairs.size(), {}});
      tables.back().push_back(timed_table(group.pairs));
    }
    study.calls.push_back(std::move(timing));
  }
  std::vector<std::pair<two_pair_kernel, std::size_t>> two_pairs;  // the peer, its kit kernel
  for (const StudiedKernel& kernel : kernels) {
    for (const TwoPairPeer& peer : two_pair_peers()) {
      for (std::size_t k = 0; k < kit.size(); ++k) {
        if (kernel.two != nullptr && kernel.name == peer.name && kit[k]->name == peer.kit_kernel) {
          study.two_pairs.push_back({kernel.name, kit[k]->name, {}});
          two_pairs.emplace_back(kernel.two, k);
        }
      }
    }
  }
  // One group of every figure, in the order of old: each kernel's calls in their order, its
  // peer of two pairs at once right after it on the same pairs, then its groups.
  RoundGroup all;
  for (std::size_t k = 0; k < kit.size(); ++k) {
    CallTimings& timings = study.calls[k];
    const gcd_kernel kernel = kit[k]->kernel;
    if (kit[k]->name == "gcd_euclid_u") {
      all.anchor = all.figures.size();
    }
    all.figures.push_back(
        {&timings.own_order_ns_per_call, [=] { return net_ns_per_call(kernel, sample); }});
    for (std::size_t p = 0; p < two_pairs.size(); ++p) {
      if (two_pairs[p].second == k) {
        const two_pair_kernel peer = two_pairs[p].first;
        all.figures.push_back(
            {&study.two_pairs[p].ns_per_pair, [=] { return net_ns_per_pair(peer, sample); }});
      }
    }
    for (std::size_t g = 0; g < tables[k].size(); ++g) {
      const std::span<const Pair> table = tables[k][g];
      all.figures.push_back({&timings.groups[g].ns_per_call,
                             [=] { return net_ns_per_call(kernel, table); }, false,
                             timings.groups[g].pairs >= MIN_GROUP_PAIRS});
    }
  }
  std::vector<RoundGroup> groups{all};
  time_phase(groups, groups, settings, "timing the kernels' calls by their kind", progress, watch,
             budget, 0);
}

}  // namespace

std::vector<std::uint32_t> euclid_answers(std::span<const Pair> pairs) {
  std::vector<std::uint32_t> answers;
  answers.reserve(pairs.size());
  for (const Pair& pair : pairs) {
    answers.push_back(gcd_euclid_u(pair.first, pair.second));
  }
  return answers;
}

void check_against_euclid(const StudiedKernel& peer, std::span<const Pair> pairs,
                          std::span<const std::uint32_t> answers) {
  const auto words = [](const Pair& pair) {
    return std::to_string(pair.first) + ", " + std::to_string(pair.second);
  };
  // "wrong_u(12, 18) gave 7", or for two pairs at once which pair's answer was wrong; the words
  // are made only for a wrong answer, never for the millions of right ones.
  const auto check = [&](std::size_t i, std::uint32_t got, const auto& call) {
    if (got != answers[i]) {
      throw WrongAnswer(call() + " gave " + std::to_string(got) +
                        (peer.two != nullptr ? " for (" + words(pairs[i]) + ")" : "") +
                        ", gcd_euclid_u gives " + std::to_string(answers[i]));
    }
  };
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    if (peer.two == nullptr) {
      check(i, peer.kernel(pairs[i].first, pairs[i].second),
            [&] { return peer.name + "(" + words(pairs[i]) + ")"; });
      continue;
    }
    const std::size_t j = i + 1 < pairs.size() ? i + 1 : 0;
    const TwoGcds both = peer.two(pairs[i].first, pairs[i].second, pairs[j].first, pairs[j].second);
    const auto call = [&] {
      return peer.name + "(" + words(pairs[i]) + ", " + words(pairs[j]) + ")";
    };
    check(i, both.first, call);
    check(j, both.second, call);
    ++i;
  }
}

void check_against_euclid(const StudiedKernel& peer, std::span<const Pair> pairs) {
  check_against_euclid(peer, pairs, euclid_answers(pairs));
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
  for (const TwoPairPeer& peer : two_pair_peers()) {
    kernels.push_back({peer.name, nullptr, nullptr, false, 0.0, peer.kernel});
  }
  return kernels;
}

std::size_t study_steps(const StudySettings& settings) {
  return 8 + 3 * (1 + std::size_t{settings.repetitions});
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
                const StudyProgress& progress, const WatchSource& source, RetimeBudget* budget) {
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
  // The peers are checked in a second thread while this one counts the kit kernels' passes:
  // nothing is timed yet, and a machine of two cores does both in the time of one.
  std::future<void> peers_checked = std::async(std::launch::async, [&] {
    // gcd_euclid_u's answers, worked out once for every peer to be checked against.
    const std::vector<std::uint32_t> drawn_answers = euclid_answers(drawn);
    std::vector<std::vector<std::uint32_t>> sized_answers;
    for (const SizedPairs& size : sized) {
      sized_answers.push_back(euclid_answers(size.unsigned_pairs));
    }
    for (const StudiedKernel& kernel : kernels) {
      if (kernel.passes == nullptr) {
        check_against_euclid(kernel, drawn, drawn_answers);
        for (std::size_t s = 0; s < sized.size(); ++s) {
          check_against_euclid(kernel, sized[s].unsigned_pairs, sized_answers[s]);
        }
      }
    }
  });
  for (const StudiedKernel& kernel : kernels) {
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
  peers_checked.get();  // a wrong answer is thrown here, before anything is timed

  // Repetition 0 warms up caches, predictors and clocks and is not kept. Each repetition
  // times the loop alone next to the kernels, and every figure kept is net of it.
  RetimeBudget own_budget(settings.retime_seconds);
  RetimeBudget& spent = budget != nullptr ? *budget : own_budget;
  PhaseWatcher study_watch("study", source);
  RoundGroup on_drawn;
  on_drawn.loop = [&] { return ns_per_call_on_drawn_pairs(empty_kernel, settings.drawn_pairs); };
  on_drawn.loop_values = &study.loop_ns_per_call;
  for (std::size_t i = 0; i < kernels.size(); ++i) {
    const StudiedKernel& kernel = kernels[i];
    if (kernel.name == "gcd_euclid_u") {
      on_drawn.anchor = i;
    }
    // A peer of two pairs at once takes the same pairs from a table, two at a time, net of its
    // own loop: the figure kept is its time per pair.
    on_drawn.figures.push_back(
        kernel.two != nullptr
            ? RoundFigure{&study.kernels[i].ns_per_call,
                          [&] { return net_ns_per_pair(kernel.two, drawn); }}
            : RoundFigure{
                  &study.kernels[i].ns_per_call,
                  [&] { return ns_per_call_on_drawn_pairs(kernel.kernel, settings.drawn_pairs); },
                  true});
  }
  std::vector<RoundGroup> drawn_groups{on_drawn};
  time_phase(drawn_groups, drawn_groups, settings, "timing on the programs' pairs", progress,
             study_watch, spent, STUDY_SHARE);
  time_call_groups(kernels, drawn, settings, progress, study_watch, spent, study);
  study.phases.push_back(study_watch.finish());

  PhaseWatcher sweep_watch("sweep", source);
  std::vector<RoundGroup> sweep_groups;
  for (std::size_t s = 0; s < sized.size(); ++s) {
    for (const bool is_signed : {false, true}) {
      const std::vector<Pair>& pairs = is_signed ? sized[s].signed_pairs : sized[s].unsigned_pairs;
      RoundGroup group;
      // The table is brought into the cache first: timed cold, the loop alone would cost more
      // than the loop around a kernel on the same, by then cached, pairs.
      group.loop = [&pairs] {
        static_cast<void>(ns_per_call_on_pairs(empty_kernel, pairs));
        return ns_per_call_on_pairs(empty_kernel, pairs);
      };
      for (std::size_t i = 0; i < kernels.size(); ++i) {
        const StudiedKernel& kernel = kernels[i];
        if (kernel.is_signed != is_signed) {
          continue;
        }
        if (kernel.name == (is_signed ? "gcd_euclid_s" : "gcd_euclid_u")) {
          group.anchor = group.figures.size();
        }
        Repeated* values = &study.sweep[i * sized.size() + s].ns_per_call;
        group.figures.push_back(
            kernel.two != nullptr
                ? RoundFigure{values,
                              [&kernel, &pairs] { return net_ns_per_pair(kernel.two, pairs); }}
                : RoundFigure{
                      values,
                      [&kernel, &pairs] { return ns_per_call_on_pairs(kernel.kernel, pairs); },
                      true});
      }
      sweep_groups.push_back(std::move(group));
    }
  }
  // The study before it has brought the clock up and the kernels' code into the caches: the
  // sweep's warm-up is its first size, which warms the predictors as each size's first timing
  // warms them for the next.
  std::vector<RoundGroup> sweep_warm_up(sweep_groups.begin(),
                                        sweep_groups.begin() + (sweep_groups.size() < 2 ? 0 : 2));
  // The loop's figure of a repetition: its mean over the sizes and readings.
  std::vector<double> sweep_loops(sweep_groups.size());
  for (std::size_t g = 0; g < sweep_groups.size(); ++g) {
    const std::function<double()> loop = sweep_groups[g].loop;
    sweep_groups[g].loop = [loop, &sweep_loops, g] { return sweep_loops[g] = loop(); };
  }
  time_phase(sweep_warm_up, sweep_groups, settings, "timing the sweep over operand sizes", progress,
             sweep_watch, spent, SWEEP_SHARE, [&] {
               double total = 0;
               for (const double loop : sweep_loops) {
                 total += loop;
               }
               study.sweep_loop_ns_per_call.push_back(
                   total / static_cast<double>(std::max<std::size_t>(1, sweep_loops.size())));
             });
  study.phases.push_back(sweep_watch.finish());

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
