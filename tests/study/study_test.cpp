// The study on small settings: what it counts, on which pairs, what it keeps of its timings,
// and a peer that is wrong.
#include "study/study.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "study/fit.h"
#include "study/stats.h"
#include "study/timing.h"

namespace {

StudySettings small() {
  StudySettings settings;
  settings.drawn_pairs = 2000;
  settings.repetitions = 2;
  settings.sweep_pairs = 4000;
  settings.retime_seconds = 0;  // the tests count the values of the first round
  return settings;
}

double direct_count(pass_counter passes, const std::vector<Pair>& pairs) {
  double total = 0;
  for (const Pair& pair : pairs) {
    total += passes(pair.first, pair.second);
  }
  return total / static_cast<double>(pairs.size());
}

TEST(Study, CountsPassesOnTheSamePairsAsItTimesAndFitsTheTheory) {
  const std::vector<StudiedKernel> kernels = studied_kernels();
  std::size_t steps = 0;
  const Study study = run_study(kernels, small(), [&steps](const std::string&) { ++steps; });
  EXPECT_EQ(steps, study_steps(small()));

  ASSERT_EQ(study.kernels.size(), kernels.size());
  EXPECT_EQ(study.loop_ns_per_call.size(), 2U);
  ASSERT_EQ(study.sweep.size(), kernels.size() * 32);  // every size from 1 to 32 bits
  for (std::size_t i = 0; i < kernels.size(); ++i) {
    const StudiedKernel& kernel = kernels[i];
    SCOPED_TRACE(kernel.name);
    EXPECT_EQ(study.kernels[i].name, kernel.name);
    EXPECT_EQ(study.kernels[i].ns_per_call.size(), 2U);
    ASSERT_EQ(study.kernels[i].passes_per_call.has_value(), kernel.passes != nullptr);
    if (kernel.passes == nullptr) {
      continue;
    }
    EXPECT_DOUBLE_EQ(*study.kernels[i].passes_per_call,
                     direct_count(kernel.passes, drawn_pairs(2000)));
    // The sweep's passes on the pairs of the kernel's own reading: signed for a signed kernel.
    for (const unsigned bits : {3U, 17U, 32U}) {
      const SweepFigures& point = study.sweep[i * 32 + bits - 1];
      ASSERT_EQ(point.bits, bits);
      EXPECT_DOUBLE_EQ(*point.passes_per_call,
                       direct_count(kernel.passes, uniform_pairs(bits, kernel.is_signed, 4000,
                                                                 small().seed + bits)))
          << bits << " bits";
    }
  }

  // With 4000 pairs per size the slopes are within a few hundredths of the constants.
  ASSERT_EQ(study.passes_per_bit.size(), 4U);
  for (const PassesPerBit& fit : study.passes_per_bit) {
    EXPECT_NEAR(fit.measured, fit.theory, 0.03 * fit.theory) << fit.kernel;
  }
  EXPECT_EQ(study.passes_per_bit[0].theory, EUCLID_PASSES_PER_BIT);
  EXPECT_EQ(study.passes_per_bit[3].theory, BINARY_PASSES_PER_BIT);
}

// Stand-in kernels that remember every pair they are given, and a pass counter that does.
std::set<std::pair<std::uint32_t, std::uint32_t>> timed_signed;
std::set<std::pair<std::uint32_t, std::uint32_t>> timed_unsigned;
std::set<std::pair<std::uint32_t, std::uint32_t>> counted_signed;
std::uint32_t remember_signed(std::uint32_t first, std::uint32_t second) noexcept {
  timed_signed.emplace(first, second);
  return first;
}
std::uint32_t remember_unsigned(std::uint32_t first, std::uint32_t second) noexcept {
  timed_unsigned.emplace(first, second);
  return first;
}
std::uint32_t count_signed(std::uint32_t first, std::uint32_t second) noexcept {
  counted_signed.emplace(first, second);
  return 1;
}
std::uint32_t one_pass(std::uint32_t /*first*/, std::uint32_t /*second*/) noexcept { return 1; }

// Every figure of a signed kernel, timings and passes, comes from the programs' pairs and
// the signed pairs of each size; an unsigned kernel gets the unsigned ones.
TEST(Study, GivesEachKernelThePairsOfItsOwnReading) {
  StudySettings settings = small();
  settings.repetitions = 1;
  settings.drawn_pairs = 1000;
  settings.sweep_pairs = 1000;
  const std::vector<StudiedKernel> kernels{{"remember_s", remember_signed, count_signed, true, 0},
                                           {"remember_u", remember_unsigned, one_pass, false, 0}};
  static_cast<void>(run_study(kernels, settings, [](const std::string&) {}));

  std::set<std::pair<std::uint32_t, std::uint32_t>> expected_signed;
  std::set<std::pair<std::uint32_t, std::uint32_t>> expected_unsigned;
  for (const Pair& pair : drawn_pairs(1000)) {
    expected_signed.emplace(pair.first, pair.second);
    expected_unsigned.emplace(pair.first, pair.second);
  }
  for (unsigned bits = 1; bits <= 32; ++bits) {
    for (const Pair& pair : uniform_pairs(bits, true, 1000, settings.seed + bits)) {
      expected_signed.emplace(pair.first, pair.second);
    }
    for (const Pair& pair : uniform_pairs(bits, false, 1000, settings.seed + bits)) {
      expected_unsigned.emplace(pair.first, pair.second);
    }
  }
  EXPECT_TRUE(timed_signed == expected_signed);
  EXPECT_TRUE(counted_signed == expected_signed);
  EXPECT_TRUE(timed_unsigned == expected_unsigned);
}

// Each phase is watched over its kept repetitions only, the warm-up left out: the study's
// over its timings on the programs' pairs and over the calls by their kind, the sweep's over
// its own.
TEST(Study, WatchesEachPhaseOverItsKeptRepetitions) {
  StudySettings settings = small();
  settings.repetitions = 2;
  settings.drawn_pairs = 1000;
  settings.sweep_pairs = 1000;
  double now = 0;
  const WatchSource ticking{
      [&now] { return now += 1; }, [&now] { return std::optional<double>(now); },
      [] { return std::optional<std::uint64_t>(); }, [] { return std::optional<MachineTicks>(); },
      [] { return std::optional<double>(); }};
  const Study study = run_study(
      {studied_kernels().front()}, settings, [](const std::string&) {}, ticking);
  ASSERT_EQ(study.phases.size(), 2U);
  EXPECT_EQ(study.phases[0].phase, "study");
  EXPECT_EQ(study.phases[0].cpu_shares.size(), 2U * 2U);
  EXPECT_EQ(study.phases[1].phase, "sweep");
  EXPECT_EQ(study.phases[1].cpu_shares.size(), 2U);
}

// A kernel that takes about a microsecond while the progress says a warm-up repetition
// runs ("(1 of ...)"), and nothing otherwise. Kept, the warm-up would make a figure of every
// size slow; a busy machine may slow down a few.
bool warming_up = false;
std::uint32_t slow_while_warming_up(std::uint32_t first, std::uint32_t /*second*/) noexcept {
  for (int spin = 0; warming_up && spin < 3000; ++spin) {
    asm volatile("");
  }
  return first;
}

TEST(Study, KeepsNoFigureOfTheWarmUp) {
  StudySettings settings = small();
  settings.repetitions = 2;
  settings.drawn_pairs = 200'000;  // a timing that a busy machine can hardly slow by 300 ns a call
  settings.sweep_pairs = 1000;
  const Study study = run_study(
      {{"warm", slow_while_warming_up, one_pass, false, 0}}, settings,
      [](const std::string& step) { warming_up = step.find("(1 of ") != std::string::npos; });
  ASSERT_EQ(study.kernels[0].ns_per_call.size(), 2U);
  for (const double ns : study.kernels[0].ns_per_call) {
    EXPECT_LT(ns, 300);
  }
  std::vector<double> sweep;
  for (const SweepFigures& point : study.sweep) {
    sweep.insert(sweep.end(), point.ns_per_call.begin(), point.ns_per_call.end());
  }
  ASSERT_EQ(sweep.size(), 2U * 32U);
  EXPECT_LE(std::count_if(sweep.begin(), sweep.end(), [](double ns) { return ns > 300; }), 4);
  // The calls by their kind, and in the programs' order: two repetitions each, the warm-up's
  // left out.
  ASSERT_EQ(study.calls.size(), 1U);
  std::vector<double> calls = study.calls[0].own_order_ns_per_call.values;
  ASSERT_EQ(calls.size(), 2U);
  for (const GroupTiming& group : study.calls[0].groups) {
    ASSERT_EQ(group.ns_per_call.size(), 2U);
    calls.insert(calls.end(), group.ns_per_call.begin(), group.ns_per_call.end());
  }
  EXPECT_LE(std::count_if(calls.begin(), calls.end(), [](double ns) { return ns > 300; }),
            static_cast<std::ptrdiff_t>(calls.size() / 4));
}

// The empty kernel studied like a kernel costs nothing beyond the loop: the loop's own cost,
// timed beside it, is taken off (kept, it would be the whole loop; taken twice, minus it).
// A busy machine can spoil one attempt; either fault spoils every attempt.
TEST(Study, TakesTheLoopsOwnCostOff) {
  StudySettings settings = small();
  settings.drawn_pairs = 1'000'000;
  settings.repetitions = 5;
  settings.sweep_pairs = 1U << 16;
  const std::vector<Pair> pairs = uniform_pairs(16, false, 1U << 16, 1);
  std::string failures;
  for (int attempt = 0; attempt < 5; ++attempt) {
    const Study study = run_study({{"empty", empty_kernel, one_pass, false, 0}}, settings,
                                  [](const std::string&) {});
    // The loops timed here, apart from the study's own figures.
    std::vector<double> loops;
    std::vector<double> sweep_loops;
    for (int repetition = 0; repetition < 5; ++repetition) {
      loops.push_back(ns_per_call_on_drawn_pairs(empty_kernel, 1'000'000));
      sweep_loops.push_back(ns_per_call_on_pairs(empty_kernel, pairs));
    }
    const double loop = median(loops);
    ASSERT_GT(loop, 0.5);
    std::vector<double> sweep;
    for (const SweepFigures& point : study.sweep) {
      sweep.push_back(median(point.ns_per_call.values));
    }
    const double net = median(study.kernels[0].ns_per_call.values);
    const double sweep_net = median(sweep);
    // The calls in the programs' order and by their kind, in the table loop, net of it too.
    std::vector<double> calls{median(study.calls[0].own_order_ns_per_call.values)};
    for (const GroupTiming& group : study.calls[0].groups) {
      calls.push_back(median(group.ns_per_call.values));
    }
    const double calls_net = median(calls);
    const double table_loop = median(sweep_loops);
    if (std::abs(net) < loop / 2 && std::abs(sweep_net) < table_loop / 2 &&
        std::abs(calls_net) < table_loop / 2) {
      return;
    }
    failures += "net " + std::to_string(net) + " ns of a loop of " + std::to_string(loop) +
                "; sweep net " + std::to_string(sweep_net) + " and calls net " +
                std::to_string(calls_net) + " of " + std::to_string(table_loop) + "\n";
  }
  ADD_FAILURE() << failures;
}

// Events counted per call, net of the loop, here with the task's own clock (ns), which every
// Linux counts: the empty kernel comes out near nothing, a real one at its time per call. A
// busy machine can spoil one attempt (a switch in the middle of a count); the loop kept or
// taken off twice spoils every attempt.
TEST(Study, CountsEventsPerCallNetOfTheLoop) {
  constexpr Event TASK_CLOCK[] = {Event::task_clock};
  std::string failures;
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::string why;
    const std::vector<std::vector<double>> counted =
        events_per_call({{"empty", empty_kernel, one_pass, false, 0},
                         {"gcd_euclid_u", gcd_euclid_u, one_pass, false, 0}},
                        200'000, TASK_CLOCK, why);
#ifndef __linux__
    EXPECT_TRUE(counted.empty());
    GTEST_SKIP() << why;
#endif
    if (counted.empty() &&
        (why.ends_with(std::strerror(ENOSYS)) || why.ends_with(std::strerror(EACCES)))) {
      GTEST_SKIP() << "no perf events here (an emulator such as qemu-user, or a user whom "
                      "kernel.perf_event_paranoid denies them): "
                   << why;
    }
    ASSERT_EQ(counted.size(), 2U) << why;
    ASSERT_EQ(counted[0].size(), 1U);
    // The loop alone, counted here.
    std::optional<EventCounters> counters = EventCounters::open(TASK_CLOCK, why);
    ASSERT_TRUE(counters) << why;
    std::vector<double> loops;
    for (int repetition = 0; repetition < 5; ++repetition) {
      counters->start();
      static_cast<void>(ns_per_call_on_drawn_pairs(empty_kernel, 200'000));
      loops.push_back(static_cast<double>(counters->stop()[0]) / 200'000);
    }
    const double loop = median(loops);
    if (std::abs(counted[0][0]) < loop / 2 && counted[1][0] > 2 * loop) {
      return;
    }
    failures += "the empty kernel " + std::to_string(counted[0][0]) + " ns and gcd_euclid_u " +
                std::to_string(counted[1][0]) + " ns net of a loop of " + std::to_string(loop) +
                " ns\n";
  }
  ADD_FAILURE() << failures;
}

std::uint32_t wrong_on_one_pair(std::uint32_t first, std::uint32_t second) noexcept {
  return first == 1172187917U ? 7 : gcd_euclid_u(first, second);
}

// A peer of two pairs at once, wrong on the second pair of one call.
TwoGcds wrong_on_a_second_pair(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                               std::uint32_t d) noexcept {
  const TwoGcds right = euclid_two_u(a, b, c, d);
  return {right.first, c == 1172187917U ? right.second + 1 : right.second};
}

TEST(Study, RefusesToTimeAPeerOfTwoPairsThatGivesAWrongAnswer) {
  std::vector<StudiedKernel> kernels = studied_kernels();
  kernels.push_back({"wrong_two_u", nullptr, nullptr, false, 0.0, wrong_on_a_second_pair});
  try {
    static_cast<void>(run_study(kernels, small(), [](const std::string&) {}));
    FAIL() << "a wrong peer was timed";
  } catch (const WrongAnswer& wrong) {
    EXPECT_NE(std::string(wrong.what()).find(") gave 2 for (1172187917, 870078620)"),
              std::string::npos)
        << wrong.what();
    EXPECT_TRUE(std::string(wrong.what()).starts_with("wrong_two_u(")) << wrong.what();
  }
}

TEST(Study, RefusesToTimeAPeerThatGivesAWrongAnswer) {
  std::vector<StudiedKernel> kernels = studied_kernels();
  kernels.push_back({"wrong_u", wrong_on_one_pair, nullptr, false, 0.0});
  try {
    static_cast<void>(run_study(kernels, small(), [](const std::string&) {}));
    FAIL() << "a wrong peer was timed";
  } catch (const WrongAnswer& wrong) {
    EXPECT_EQ(std::string(wrong.what()),
              "wrong_u(1172187917, 870078620) gave 7, gcd_euclid_u gives 1");
  }
}

}  // namespace
