// The report's three measurements of each kit kernel held against each other: figures made up
// so that each phase's ns a pass is known by hand.
#include "report/figures/agreement.h"

#include <gtest/gtest.h>

namespace {

// gcd_euclid_u, 20 passes a call everywhere: the programs' runs of `programs_ms` (less a loop
// of 2 ns a call), the study's `study_ns` and the sweep's `sweep_ns` a call, five equal
// figures each.
Results three_phases(double programs_ms, double study_ns, double sweep_ns) {
  Results results;
  results.calls_per_run = 10'000'000;
  results.benchmarks = {{"bench_euclid_u", std::vector<double>(5, programs_ms)}};
  results.study.loop_ns_per_call = std::vector<double>(5, 2.0);
  results.study.kernels = {{"gcd_euclid_u", std::vector<double>(5, study_ns), 20.0}};
  results.study.sweep = {{"gcd_euclid_u", 32, std::vector<double>(5, sweep_ns), 20.0}};
  return results;
}

TEST(PhasesAgree, TakeEachPhasesNsAPass) {
  // (820 ms / 10^7 calls - 2 ns) / 20 = 4 ns; 80 / 20 = 4; 84 / 20 = 4.2.
  const std::vector<Agreement> agreements = phases_agree(three_phases(820, 80, 84));
  ASSERT_EQ(agreements.size(), 1U);
  const Agreement& euclid = agreements[0];
  EXPECT_EQ(euclid.kernel, "gcd_euclid_u");
  ASSERT_EQ(euclid.figures.size(), 3U);
  EXPECT_EQ(euclid.figures[0].phase, Phase::programs);
  EXPECT_DOUBLE_EQ(euclid.figures[0].ns_per_pass.value, 4.0);
  EXPECT_DOUBLE_EQ(euclid.figures[1].ns_per_pass.value, 4.0);
  EXPECT_DOUBLE_EQ(euclid.figures[2].ns_per_pass.value, 4.2);
  EXPECT_FALSE(euclid.apart);
  EXPECT_FALSE(euclid.all_part);
}

// The phase that parts from two that agree is named; the sweep, on other pairs in another
// loop, may part by 20%, the programs and the study by 10%.
TEST(PhasesAgree, NameThePhaseThatStandsApart) {
  EXPECT_EQ(phases_agree(three_phases(820, 120, 80))[0].apart, Phase::study);  // 6 against 4
  EXPECT_EQ(phases_agree(three_phases(820, 80, 100))[0].apart, Phase::sweep);  // 5 against 4
  EXPECT_FALSE(phases_agree(three_phases(820, 80, 92))[0].apart);              // 4.6: within 20%
  EXPECT_EQ(phases_agree(three_phases(1220, 80, 80))[0].apart, Phase::programs);
  const Agreement all = phases_agree(three_phases(820, 120, 200))[0];
  EXPECT_FALSE(all.apart);
  EXPECT_TRUE(all.all_part);
}

TEST(FiguresAgree, WithinTheirIntervalsAndTheShareAllowed) {
  const Estimate four{4.0, 4.0, 4.0, true};
  EXPECT_TRUE(figures_agree(four, {4.38, 4.38, 4.38, true}, 0.10));   // 0.38 of a mean of 4.19
  EXPECT_FALSE(figures_agree(four, {4.46, 4.46, 4.46, true}, 0.10));  // 0.46 of 4.23
  // The gap is between the intervals: wide ones overlap.
  EXPECT_TRUE(figures_agree({4.0, 3.0, 5.0, true}, {6.0, 5.5, 6.5, true}, 0.10));
  // A figure without an interval is its value alone.
  EXPECT_FALSE(figures_agree({4.0, 3.0, 5.0, false}, {6.0, 5.5, 6.5, true}, 0.10));
}

}  // namespace
