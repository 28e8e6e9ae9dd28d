// What bounds a call, on made-up groups whose line and verdicts are known by hand.
#include "report/figures/call_bounds.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/report/sample_results.h"

namespace {

// Groups on the line slope x passes + intercept, one at each of first to last passes (every
// step passes), 1000 pairs each.
std::vector<GroupPoint> line_of(CallExit exit, double slope, double intercept, std::uint32_t first,
                                std::uint32_t last, std::uint32_t step = 1,
                                std::uint64_t pairs = 1000) {
  std::vector<GroupPoint> points;
  for (std::uint32_t passes = first; passes <= last; passes += step) {
    points.push_back({passes, exit, pairs, slope * passes + intercept});
  }
  return points;
}

// Groups on the line 6 cycles a pass - 5, at 10 to 18 passes.
std::vector<GroupPoint> on_a_line() { return line_of(CallExit::one, 6, -5, 10, 18); }

TEST(OverlapLine, IsTheWeightedLineThroughTheGroupsOfOneExit) {
  std::vector<GroupPoint> points = on_a_line();
  points.push_back({30, CallExit::one, 99, 1000});         // too few pairs: left off
  points.push_back({20, CallExit::u_is_one, 1000, 1000});  // another exit
  const std::optional<OverlapLine> line = overlap_line(points, CallExit::one);
  ASSERT_TRUE(line);
  EXPECT_NEAR(line->cycles_per_pass, 6.0, 1e-9);
  EXPECT_NEAR(line->intercept, -5.0, 1e-9);
  EXPECT_EQ(line->groups, 9U);
  EXPECT_EQ(line->pairs, 9000U);
  EXPECT_EQ(line->span, 8U);
  EXPECT_NEAR(line->largest_departure, 0, 1e-12);
  EXPECT_TRUE(line->holds());
  // A group of 100 pairs is on the line, and pulls it.
  points[9].pairs = 100;
  EXPECT_EQ(overlap_line(points, CallExit::one)->groups, 10U);
  EXPECT_FALSE(overlap_line(points, CallExit::u_equals_v));                 // no group
  EXPECT_FALSE(overlap_line({points.data() + 10, 1}, CallExit::u_is_one));  // one group
}

// A line holds with 5 groups of 100 pairs or more over 8 passes or more: one group fewer, or
// one pass less between the first and the last, and its slope is not used.
TEST(OverlapLine, NeedsFiveGroupsOverEightPasses) {
  EXPECT_EQ(overlap_line(line_of(CallExit::one, 6, -5, 10, 18, 2), CallExit::one)->fault,
            LineFault::none);  // 10, 12, ... 18: five groups, eight passes
  EXPECT_EQ(overlap_line(line_of(CallExit::one, 6, -5, 10, 19, 3), CallExit::one)->fault,
            LineFault::few_groups);  // 10, 13, 16, 19: four groups over nine passes
  EXPECT_EQ(overlap_line(line_of(CallExit::one, 6, -5, 10, 17), CallExit::one)->fault,
            LineFault::narrow);  // eight groups over seven passes
  EXPECT_EQ(overlap_line(line_of(CallExit::one, 6, -5, 10, 18), CallExit::one)->fault,
            LineFault::none);
  EXPECT_EQ(MIN_LINE_GROUPS, 5U);
  EXPECT_EQ(MIN_LINE_SPAN, 8U);
  // Three groups of adjacent passes fit any slope closely: no line to use.
  const std::vector<GroupPoint> three{
      {19, CallExit::one, 400, 130}, {20, CallExit::one, 400, 145}, {21, CallExit::one, 400, 156}};
  EXPECT_FALSE(overlap_line(three, CallExit::one)->holds());
}

// Two light groups off the line of heavy ones: the line stays with the heavy ones, and the
// largest departure is a share of the line's value at the group.
TEST(OverlapLine, HoldsWhereNoGroupDepartsMoreThanATenth) {
  const auto line_with = [](double off) {
    std::vector<GroupPoint> points =
        line_of(CallExit::one, 6, 0, 10, 18, 2, 1000000000);  // 60 to 108 cycles
    points.push_back({20, CallExit::one, 100, 120 * (1 + off)});
    return *overlap_line(points, CallExit::one);
  };
  const OverlapLine near = line_with(0.099);
  EXPECT_NEAR(near.largest_departure, 0.099, 0.0005);
  EXPECT_EQ(near.departing_passes, 20U);
  EXPECT_TRUE(near.holds());
  EXPECT_EQ(line_with(0.102).fault, LineFault::departs);
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

// The call on its chain: 14 passes on average of a 12-cycle chain against 6 overlapped, plus a
// branch of 15: 183 predicted.
TEST(BoundTheCall, SitsOnTheLargerBoundAndPredictsTheCall) {
  const std::vector<GroupPoint> points = on_a_line();
  const CallBound chain = bound_the_call("gcd_euclid_u", points, 190, 12.0, 15);
  EXPECT_DOUBLE_EQ(chain.mean_passes, 14);
  EXPECT_NEAR(*chain.overlapped_pass, 6, 1e-9);
  EXPECT_EQ(chain.sits_on, PassBound::chain);
  EXPECT_DOUBLE_EQ(chain.mispredicted_branch, 15);
  EXPECT_NEAR(*chain.prediction, 14 * 12.0 + 15, 1e-9);
  EXPECT_NEAR(*chain.departure, (183.0 - 190) / 190, 1e-9);
  EXPECT_NEAR(chain.exit_in_place, 190 - (6 * 14 - 5), 1e-9);
  // A chain shorter than the overlapped pass: the pass sits on the throughput.
  const CallBound throughput = bound_the_call("gcd_binary_u", points, 90, 4.0, 15);
  EXPECT_EQ(throughput.sits_on, PassBound::overlapped);
  EXPECT_NEAR(*throughput.prediction, 14 * 6.0 + 15, 1e-9);
  // No chain: the overlapped pass alone; no line either: no prediction.
  EXPECT_EQ(bound_the_call("gcd_binary_u", points, 90, std::nullopt, 15).sits_on,
            PassBound::overlapped);
  const CallBound none = bound_the_call("gcd_binary_u", {points.front()}, 90, std::nullopt, 15);
  EXPECT_FALSE(none.prediction);
  EXPECT_FALSE(none.overlapped_pass);
}

// A line that does not hold lends the call no overlapped pass: with a chain the call sits on
// it, and the slope of three adjacent groups, however steep, predicts nothing.
TEST(BoundTheCall, UsesALinesSlopeOnlyWhereTheLineHolds) {
  const std::vector<GroupPoint> three{
      {19, CallExit::one, 400, 130}, {20, CallExit::one, 400, 145}, {21, CallExit::one, 400, 156}};
  const CallBound chain = bound_the_call("gcd_binary_u", three, 150, 5.3, 15);
  ASSERT_EQ(chain.lines.size(), 1U);
  EXPECT_GT(chain.lines[0].cycles_per_pass, 12);
  EXPECT_FALSE(chain.overlapped_pass);
  EXPECT_EQ(chain.sits_on, PassBound::chain);
  EXPECT_NEAR(*chain.prediction, 20 * 5.3 + 15, 1e-9);
  EXPECT_FALSE(bound_the_call("gcd_binary_u", three, 150, std::nullopt, 15).prediction);
}

// The lines of two exits: the kernel's overlapped pass weighs each by its pairs.
TEST(BoundTheCall, WeighsTheLinesOfTwoExitsByTheirPairs) {
  std::vector<GroupPoint> points = line_of(CallExit::u_is_one, 5, 0, 8, 16, 2, 300);
  for (const GroupPoint& point : line_of(CallExit::u_equals_v, 9, -32, 8, 16, 2, 100)) {
    points.push_back(point);
  }
  const CallBound bound = bound_the_call("gcd_binary_u", points, 80, 4.0, 15);
  ASSERT_EQ(bound.lines.size(), 2U);
  EXPECT_NEAR(*bound.overlapped_pass, (1500 * 5.0 + 500 * 9.0) / 2000, 1e-9);
}

// Two pairs in flight: a loop's pass is the larger of the chain and two overlapped passes,
// over the larger passes of the two, with one exit for both.
TEST(TwoPairGain, SetsTheGainMeasuredBesideTheBoundsPrediction) {
  const std::vector<GroupPoint> points = on_a_line();  // 14 passes a call
  // On its chain (12 against 6): a loop pass of 12 for two pairs, 16 passes: (192 + 15) / 2.
  const CallBound chain = bound_the_call("gcd_euclid_u", points, 190, 12.0, 15);
  const TwoPairGain euclid = two_pair_gain("euclid_two_u", chain, 16, 95, 15);
  EXPECT_DOUBLE_EQ(euclid.loop_pass, 12);
  EXPECT_DOUBLE_EQ(euclid.predicted_per_pair, (16 * 12 + 15) / 2.0);
  EXPECT_NEAR(euclid.predicted_gain, 183 / 103.5, 1e-12);
  EXPECT_DOUBLE_EQ(euclid.gain, 2);
  EXPECT_EQ(euclid.sits_on, PassBound::chain);
  // On the throughput (a chain of 4 against 6 overlapped): two pairs take 12 a loop pass, as
  // two calls would: no gain but the one exit.
  const CallBound throughput = bound_the_call("gcd_binary_u", points, 90, 4.0, 15);
  const TwoPairGain binary = two_pair_gain("binary_two_u", throughput, 15, 90, 15);
  EXPECT_DOUBLE_EQ(binary.loop_pass, 12);
  EXPECT_NEAR(binary.predicted_gain, (14 * 6.0 + 15) / ((15 * 12 + 15) / 2.0), 1e-12);
}

// The gain of a peer of two pairs at once: its time on the kernel's calls' pairs, in the same
// repetitions, against the kernel's call there; not its time on the whole drawn table.
TEST(TwoPairGains, SetThePeerBesideItsKernelOnTheSamePairs) {
  Results results = sample_results();
  ASSERT_EQ(results.worked_out.two_pairs.size(), 1U);
  const TwoPairGain& two = results.worked_out.two_pairs[0];
  EXPECT_EQ(two.peer, "euclid_two_u");
  EXPECT_NEAR(two.cycles_per_pair, 50 * 3.0, 1e-9);
  EXPECT_NEAR(two.gain, 80.0 / 50, 1e-9);
  results.study.kernels[5].ns_per_call = {10, 10, 10, 10, 10};  // on the whole drawn table
  EXPECT_NEAR(worked(results).worked_out.two_pairs[0].gain, 80.0 / 50, 1e-9);
  results.study.two_pairs.clear();  // a report from before the peers were timed there
  EXPECT_TRUE(worked(results).worked_out.two_pairs.empty());
}

TEST(CallBounds, AreWorkedOutWithTheClockAndTheBranch) {
  Results results = sample_results();
  ASSERT_EQ(results.worked_out.calls.size(), 2U);
  const CallBound& euclid = results.worked_out.calls[0];
  EXPECT_EQ(euclid.kernel, "gcd_euclid_u");
  EXPECT_NEAR(euclid.measured, 80 * 3.0, 1e-9);  // 80 ns at 3 GHz
  EXPECT_NEAR(*euclid.chain, 12.0, 1e-9);        // its latency bound
  EXPECT_NEAR(*euclid.overlapped_pass, 6.0, 1e-9);
  results.study.mispredicted_branch_ns.reset();
  EXPECT_TRUE(worked(results).worked_out.calls.empty());
}

}  // namespace
