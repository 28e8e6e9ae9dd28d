// Disturbed phases named, quiet ones not: made-up repetitions and watches, never a real clock.
#include "report/figures/disturbance.h"

#include <gtest/gtest.h>

#include "tests/report/sample_results.h"

namespace {

TEST(DisturbedFigure, IsAMedianFarAboveItsFastestRepetition) {
  // 100 ns fastest: a median of 114.9 is a quiet run's, 115.5 not.
  EXPECT_FALSE(disturbed_figure("k", {100, 114.9, 114.9, 100, 116}));
  const std::optional<DisturbedFigure> far = disturbed_figure("k", {100, 115.5, 116, 117, 100});
  ASSERT_TRUE(far);
  EXPECT_DOUBLE_EQ(far->fastest, 100);
  EXPECT_DOUBLE_EQ(far->median, 115.5);
  // A figure of a few ns: a third above its fastest, but within 2 ns, is noise.
  EXPECT_FALSE(disturbed_figure("loop", {3.0, 4.9, 4.9}));
  EXPECT_TRUE(disturbed_figure("loop", {3.2, 7.3, 3.2, 7.3, 7.3}));  // alternating, as seen
  EXPECT_FALSE(disturbed_figure("one", {100}));
}

// A program's runs that hold but whose kept runs spread more than 10% of their median, as a
// quiet machine's runs do not: disturbed, with that spread; one step either side of 10%.
TEST(DisturbedRuns, AreTheRunsThatDoNotHoldOrThatSpreadMoreThanTenPercent) {
  constexpr double NS_PER_MS = 0.1;  // 10,000,000 calls a run
  EXPECT_FALSE(disturbed_runs("p", {400, 400, 400, 439, 400}, NS_PER_MS));
  const std::optional<DisturbedFigure> apart =
      disturbed_runs("p", {400, 400, 400, 441, 400}, NS_PER_MS);
  ASSERT_TRUE(apart);
  EXPECT_DOUBLE_EQ(*apart->spread, 41.0 / 400);
  EXPECT_DOUBLE_EQ(apart->median, 40);
  EXPECT_EQ(apart->kept, 5U);
  // The runs that do not hold are disturbed as any figure is, with no spread of their own.
  const std::optional<DisturbedFigure> far =
      disturbed_runs("p", {400, 470, 470, 470, 400}, NS_PER_MS);
  ASSERT_TRUE(far);
  EXPECT_FALSE(far->spread);
  EXPECT_FALSE(disturbed_runs("p", {400}, NS_PER_MS));
}

// The programs' phase is judged by it, and withholds what rests on their runs.
TEST(JudgePhases, JudgeTheProgramsByTheSpreadOfTheirKeptRuns) {
  Results results = sample_results();
  results.benchmarks[2].runs_ms = {400, 400, 400, 441, 400};
  const Results judged = worked(results);
  const PhaseVerdict* programs = find_verdict(judged, "programs");
  ASSERT_NE(programs, nullptr);
  EXPECT_TRUE(programs->disturbed);
  EXPECT_TRUE(is_disturbed(programs, results.benchmarks[2].program));
}

PhaseWatch quiet_watch() {
  PhaseWatch watch;
  watch.phase = "study";
  watch.wall_s = 3;
  watch.cpu_shares = {1.0, 0.99, 0.96};
  watch.stolen_share = 0.019;
  watch.clock_before_ghz = 3.0;
  watch.clock_after_ghz = 3.14;  // 4.7%
  watch.involuntary_switches = 12;
  return watch;
}

TEST(JudgePhase, NamesEachSignBeyondAQuietRun) {
  const PhaseVerdict quiet = judge_phase(quiet_watch(), {});
  EXPECT_FALSE(quiet.disturbed);
  EXPECT_EQ(*quiet.switches, 12U);
  // A repetition whose work lost the processor: its values were left out where each carries
  // its signs; in a report from before, whose figures kept every value, the phase is disturbed.
  PhaseWatch lost = quiet_watch();
  lost.cpu_shares.push_back(0.94);
  EXPECT_NEAR(*judge_phase(lost, {}).lowest_cpu_share, 0.94, 1e-12);
  EXPECT_FALSE(judge_phase(lost, {}).disturbed);
  EXPECT_TRUE(judge_phase(lost, {}, true, false).disturbed);
  EXPECT_TRUE(judge_phase(lost, {}, true, false).signs_disturbed);
  PhaseWatch stolen = quiet_watch();
  stolen.stolen_share = 0.021;
  EXPECT_TRUE(judge_phase(stolen, {}).stolen_share);
  EXPECT_TRUE(judge_phase(stolen, {}).signs_disturbed);
  PhaseWatch moved = quiet_watch();
  moved.clock_after_ghz = 2.84;  // -5.3%
  EXPECT_NEAR(*judge_phase(moved, {}).clock_moved, -0.16 / 3, 1e-12);
  moved.clock_after_ghz = 3.16;  // +5.3%: a clock that rises is as much a sign
  EXPECT_NEAR(*judge_phase(moved, {}).clock_moved, 0.16 / 3, 1e-12);
  EXPECT_TRUE(judge_phase(moved, {}).disturbed);
  EXPECT_FALSE(judge_phase(quiet_watch(), {}, false).quiet());  // not judged: not quiet
  const PhaseVerdict figures = judge_phase(quiet_watch(), {{"gcd_euclid_u", 70, 140}});
  EXPECT_TRUE(figures.disturbed);
  ASSERT_EQ(figures.figures.size(), 1U);
}

// A run whose study was slowed alike for every kernel, as under load: the clock and the
// fastest repetitions unchanged, the medians doubled.
TEST(JudgePhases, NamesTheDisturbedPhaseAndItsFiguresOnly) {
  Results results = sample_results();
  const auto phase = [](const char* name) {
    PhaseWatch watch;
    watch.phase = name;
    watch.cpu_shares = {1.0, 1.0};
    return watch;
  };
  results.programs_watch = phase("programs");
  results.study.phases = {phase("study"), phase("sweep")};
  for (KernelFigures& kernel : results.study.kernels) {
    const double fastest = kernel.ns_per_call.front();
    kernel.ns_per_call = {fastest, 2 * fastest, 2 * fastest, fastest, 2 * fastest};
  }
  const std::vector<PhaseVerdict> verdicts = worked(results).worked_out.phases;
  ASSERT_EQ(verdicts.size(), 3U);
  EXPECT_EQ(verdicts[0].phase, "programs");
  EXPECT_FALSE(verdicts[0].disturbed);
  EXPECT_TRUE(verdicts[1].disturbed);
  EXPECT_EQ(verdicts[1].figures.size(), results.study.kernels.size());
  EXPECT_FALSE(verdicts[2].disturbed);
  const Results judged = worked(results);
  EXPECT_TRUE(is_disturbed(find_verdict(judged, "study"), "gcd_binary_u"));
  EXPECT_FALSE(is_disturbed(find_verdict(judged, "sweep"), "gcd_binary_u"));
}

// A group of calls that a line stands on (100 pairs or more) is judged as a figure of the study;
// a smaller group is no figure.
TEST(JudgePhases, JudgesTheGroupsOfCallsTheLinesStandOn) {
  Results results = sample_results();
  std::vector<GroupTiming>& binary = results.study.calls[1].groups;
  binary[5].ns_per_call = {30, 40, 40, 30, 40};  // 17 passes, u equals v: 80 pairs
  binary[5].pairs = 100;
  std::vector<GroupTiming>& euclid = results.study.calls[0].groups;
  euclid[5].ns_per_call = {60, 90, 90, 60, 90};  // 30 passes: 50 pairs, below the lines
  euclid[5].pairs = 99;
  const Results judged = worked(results);
  const PhaseVerdict* study = find_verdict(judged, "study");
  ASSERT_NE(study, nullptr);
  ASSERT_EQ(study->figures.size(), 1U);
  EXPECT_EQ(study->figures[0].figure, "gcd_binary_u, 17 passes, u equals v");
}

// The peer of two pairs at once on its kernel's calls' pairs is a figure of the study too.
TEST(JudgePhases, JudgesThePeerOfTwoPairsOnTheCallsPairs) {
  Results results = sample_results();
  results.study.two_pairs[0].ns_per_pair = {50, 80, 80, 50, 80};
  const Results judged = worked(results);
  const PhaseVerdict* study = find_verdict(judged, "study");
  ASSERT_EQ(study->figures.size(), 1U);
  EXPECT_EQ(study->figures[0].figure, "euclid_two_u in the programs' order");
}

// One run or one repetition: no spread to judge, and the phase is not quiet; two are enough.
TEST(JudgePhases, JudgeNoPhaseWhoseFiguresHaveOneRepetition) {
  Results results = sample_results();
  for (BenchmarkRow& row : results.benchmarks) {
    row.runs_ms.resize(1);
  }
  results.study.loop_ns_per_call.resize(1);
  const Results one = worked(results);
  EXPECT_FALSE(find_verdict(one, "programs")->judged);
  EXPECT_FALSE(find_verdict(one, "study")->judged);
  EXPECT_TRUE(find_verdict(one, "sweep")->judged);
  EXPECT_FALSE(find_verdict(one, "programs")->disturbed);
  for (BenchmarkRow& row : results.benchmarks) {
    row.runs_ms.resize(MIN_JUDGED_REPETITIONS, row.runs_ms[0]);
  }
  EXPECT_TRUE(find_verdict(worked(results), "programs")->judged);
}

}  // namespace
