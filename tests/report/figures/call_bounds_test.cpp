// What bounds a call, on made-up groups whose line and verdicts are known by hand.
#include "report/figures/call_bounds.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/report/sample_results.h"

namespace {

// Groups on the line 6 cycles a pass - 5, at 10 to 14 passes, 1000 pairs each.
std::vector<GroupPoint> on_a_line() {
  std::vector<GroupPoint> points;
  for (std::uint32_t passes = 10; passes <= 14; ++passes) {
    points.push_back({passes, CallExit::one, 1000, 6.0 * passes - 5});
  }
  return points;
}

TEST(OverlapLine, IsTheWeightedLineThroughTheGroupsOfOneExit) {
  std::vector<GroupPoint> points = on_a_line();
  points.push_back({30, CallExit::one, 99, 1000});         // too few pairs: left off
  points.push_back({20, CallExit::u_is_one, 1000, 1000});  // another exit
  const std::optional<OverlapLine> line = overlap_line(points, CallExit::one);
  ASSERT_TRUE(line);
  EXPECT_NEAR(line->cycles_per_pass, 6.0, 1e-9);
  EXPECT_NEAR(line->intercept, -5.0, 1e-9);
  EXPECT_EQ(line->groups, 5U);
  EXPECT_EQ(line->pairs, 5000U);
  EXPECT_NEAR(line->largest_departure, 0, 1e-12);
  EXPECT_TRUE(line->holds);
  // A group of 100 pairs is on the line, and pulls it.
  points[5].pairs = 100;
  EXPECT_EQ(overlap_line(points, CallExit::one)->groups, 6U);
  EXPECT_FALSE(overlap_line(points, CallExit::u_equals_v));                // no group
  EXPECT_FALSE(overlap_line({points.data() + 6, 1}, CallExit::u_is_one));  // one group
}

// Two light groups off the line of three heavy ones: the line stays with the heavy ones, and
// the largest departure is a share of the line's value at the group.
TEST(OverlapLine, HoldsWhereNoGroupDepartsMoreThanATenth) {
  const auto line_with = [](double off) {
    std::vector<GroupPoint> points{{10, CallExit::one, 1000000000, 60},
                                   {12, CallExit::one, 1000000000, 72},
                                   {14, CallExit::one, 1000000000, 84},
                                   {20, CallExit::one, 100, 120 * (1 + off)}};
    return *overlap_line(points, CallExit::one);
  };
  const OverlapLine near = line_with(0.099);
  EXPECT_NEAR(near.largest_departure, 0.099, 0.0005);
  EXPECT_EQ(near.departing_passes, 20U);
  EXPECT_TRUE(near.holds);
  EXPECT_FALSE(line_with(0.102).holds);
  EXPECT_GT(LINE_HOLDS, 0.099);
  EXPECT_LT(LINE_HOLDS, 0.101);
}

TEST(ExitInPlace, IsTheProgramsOrderLessTheGroupsAtTheSameMix) {
  // A quarter of the pairs at 100 cycles, three quarters at 200: the mix is 175.
  const std::vector<GroupPoint> points{{10, CallExit::one, 250, 100},
                                       {20, CallExit::one, 750, 200}};
  EXPECT_DOUBLE_EQ(exit_in_place(190, points), 15);
  EXPECT_DOUBLE_EQ(exit_in_place(170, points), -5);  // may be below 0, as noise leaves it
}

// The call on its chain: 10 passes of a 12-cycle chain against 6 overlapped, plus a branch of
// 15: 135 predicted; the exit in place holds the overlap the exits stop (10 x 6) and the exit.
TEST(BoundTheCall, SitsOnTheLargerBoundAndPredictsTheCall) {
  const std::vector<GroupPoint> points{{8, CallExit::one, 500, 6.0 * 8},
                                       {12, CallExit::one, 500, 6.0 * 12}};
  const CallBound chain = bound_the_call("gcd_euclid_u", points, 140, 12.0, 15);
  EXPECT_DOUBLE_EQ(chain.mean_passes, 10);
  EXPECT_NEAR(*chain.overlapped_pass, 6, 1e-9);
  EXPECT_EQ(chain.sits_on, PassBound::chain);
  EXPECT_DOUBLE_EQ(chain.mispredicted_branch, 15);
  EXPECT_NEAR(*chain.prediction, 10 * 12.0 + 15, 1e-9);
  EXPECT_NEAR(*chain.departure, (135.0 - 140) / 140, 1e-9);
  EXPECT_NEAR(chain.exit_in_place, 140 - 60, 1e-9);
  EXPECT_NEAR(*chain.stopped_overlap, 10 * (12 - 6.0), 1e-9);
  EXPECT_NEAR(*chain.exit_itself, 80 - 60, 1e-9);
  // A chain shorter than the overlapped pass: the pass sits on the throughput, and the exits
  // stop no overlap.
  const CallBound throughput = bound_the_call("gcd_binary_u", points, 90, 4.0, 15);
  EXPECT_EQ(throughput.sits_on, PassBound::overlapped);
  EXPECT_NEAR(*throughput.prediction, 10 * 6.0 + 15, 1e-9);
  EXPECT_NEAR(*throughput.stopped_overlap, 0, 1e-9);
  // No chain: the overlapped pass alone; no line either: no prediction.
  EXPECT_EQ(bound_the_call("gcd_binary_u", points, 90, std::nullopt, 15).sits_on,
            PassBound::overlapped);
  const CallBound none = bound_the_call("gcd_binary_u", {points.front()}, 90, std::nullopt, 15);
  EXPECT_FALSE(none.prediction);
  EXPECT_FALSE(none.overlapped_pass);
}

// The lines of two exits: the kernel's overlapped pass weighs each by its pairs.
TEST(BoundTheCall, WeighsTheLinesOfTwoExitsByTheirPairs) {
  const std::vector<GroupPoint> points{{8, CallExit::u_is_one, 300, 40},
                                       {12, CallExit::u_is_one, 300, 60},  // 5 a pass
                                       {8, CallExit::u_equals_v, 100, 40},
                                       {12, CallExit::u_equals_v, 100, 76}};  // 9 a pass
  const CallBound bound = bound_the_call("gcd_binary_u", points, 80, 4.0, 15);
  ASSERT_EQ(bound.lines.size(), 2U);
  EXPECT_NEAR(*bound.overlapped_pass, (600 * 5.0 + 200 * 9.0) / 800, 1e-9);
}

// Two pairs in flight: a loop's pass is the larger of the chain and two overlapped passes,
// over the larger passes of the two, with one exit for both.
TEST(TwoPairGain, SetsTheGainMeasuredBesideTheBoundsPrediction) {
  const std::vector<GroupPoint> points{{8, CallExit::one, 500, 6.0 * 8},
                                       {12, CallExit::one, 500, 6.0 * 12}};
  // On its chain (12 against 6): a loop pass of 12 for two pairs, 11 passes: (132 + 15) / 2.
  const CallBound chain = bound_the_call("gcd_euclid_u", points, 140, 12.0, 15);
  const TwoPairGain euclid = two_pair_gain("euclid_two_u", chain, 11, 70, 15);
  EXPECT_DOUBLE_EQ(euclid.loop_pass, 12);
  EXPECT_DOUBLE_EQ(euclid.predicted_per_pair, (11 * 12 + 15) / 2.0);
  EXPECT_NEAR(euclid.predicted_gain, 135 / 73.5, 1e-12);
  EXPECT_DOUBLE_EQ(euclid.gain, 2);
  EXPECT_EQ(euclid.sits_on, PassBound::chain);
  // On the throughput (a chain of 4 against 6 overlapped): two pairs take 12 a loop pass, as
  // two calls would: no gain but the one exit.
  const CallBound throughput = bound_the_call("gcd_binary_u", points, 90, 4.0, 15);
  const TwoPairGain binary = two_pair_gain("binary_two_u", throughput, 10, 90, 15);
  EXPECT_DOUBLE_EQ(binary.loop_pass, 12);
  EXPECT_NEAR(binary.predicted_gain, (10 * 6.0 + 15) / ((10 * 12 + 15) / 2.0), 1e-12);
}

TEST(CallBounds, AreWorkedOutWithTheClockAndTheBranch) {
  Results results = sample_results();
  ASSERT_EQ(results.worked_out.calls.size(), 2U);
  const CallBound& euclid = results.worked_out.calls[0];
  EXPECT_EQ(euclid.kernel, "gcd_euclid_u");
  EXPECT_NEAR(euclid.measured, 80 * 3.0, 1e-9);  // 80 ns at 3 GHz
  EXPECT_NEAR(*euclid.chain, 12.0, 1e-9);        // its latency bound
  results.study.mispredicted_branch_ns.reset();
  EXPECT_TRUE(worked(results).worked_out.calls.empty());
}

}  // namespace
