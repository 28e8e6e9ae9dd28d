// What bounds a call, as text: each verdict on made-up figures, every sentence whole.
#include "report/text/call_text.h"

#include <gtest/gtest.h>

#include "tests/report/sample_results.h"

namespace {

// A call on its chain of 12 cycles, 6 overlapped, 10 passes: 135 predicted with the branch
// of sample_results() (14.4 cycles); measured as given.
CallBound on_its_chain(double measured, double exit_in_place) {
  CallBound bound;
  bound.kernel = "gcd_euclid_u";
  bound.mean_passes = 10;
  bound.chain = 12;
  bound.overlapped_pass = 6;
  bound.sits_on = PassBound::chain;
  bound.mispredicted_branch = 14.4;
  bound.prediction = 10 * 12 + bound.mispredicted_branch;
  bound.measured = measured;
  bound.departure = (*bound.prediction - measured) / measured;
  bound.exit_in_place = exit_in_place;
  bound.stopped_overlap = 60;
  bound.exit_itself = exit_in_place - 60;
  return bound;
}

TEST(CallSentence, SaysWhichBoundThePassSitsOnAndWhetherThePredictionHolds) {
  const Results results = sample_results();
  EXPECT_EQ(call_sentence(results, results.worked_out.calls[0]),
            "gcd_euclid_u: a pass sits on its chain (12.0\x1f"
            "cycles against 6.0 overlapped): "
            "each mispredicted exit ends the overlap, so a call waits for its own chain. "
            "Predicted 248.7\x1f"
            "cycles a call against 240.0 measured: within 10% (3.6% "
            "above).");
  EXPECT_EQ(call_sentence(results, results.worked_out.calls[1]),
            "gcd_binary_u: a pass sits on the core's throughput (5.0\x1f"
            "cycles overlapped "
            "against a chain of 4.0; LLVM's model gives its ports a pressure of 52.1%): the "
            "calls overlap as far as the core's units allow, exits and all. Predicted "
            "119.4\x1f"
            "cycles a call against 120.0 measured: within 10% (0.5% below).");
}

TEST(CallSentence, HoldsAPredictionWithinATenthOfTheCall) {
  const Results results = sample_results();
  EXPECT_TRUE(call_sentence(results, on_its_chain(134.4 / 0.901, 75))
                  .ends_with("within 10% (9.9% below)."));
  EXPECT_TRUE(
      call_sentence(results, on_its_chain(134.4 / 0.899, 75)).find("measured: 10.1% below. ") !=
      std::string::npos);
}

// Beyond a tenth: what the exit in place shows of the rest.
TEST(CallSentence, SaysWhatTheExitInPlaceShowsOfTheRest) {
  const Results results = sample_results();
  // 200 measured, 65.6 beyond the prediction; the exit itself 91, 76.6 beyond a branch.
  EXPECT_TRUE(call_sentence(results, on_its_chain(200, 151))
                  .ends_with("32.8% below. The exit in place costs 151.0\x1f"
                             "cycles a call: "
                             "60.0\x1f"
                             "cycles of overlap it stops, and 91.0\x1f"
                             "cycles of the "
                             "exit itself, 6.3 times a mispredicted branch on random bytes (14.4). "
                             "The exit, whose condition waits on its loop's last pass, costs more "
                             "here than one branch on ready bytes (it may miss more than once a "
                             "call, or cost more once), and that holds the rest of the call "
                             "(65.6\x1f"
                             "cycles)."));
  // The exit itself only 20, 5.6 beyond a branch: not half the rest.
  EXPECT_TRUE(call_sentence(results, on_its_chain(200, 80))
                  .ends_with("The exit does not hold the rest of the call (65.6\x1f"
                             "cycles): the "
                             "parts leave it unmeasured."));
  // Held where the exit beyond a branch comes to half the rest or more (32.8 cycles).
  EXPECT_NE(call_sentence(results, on_its_chain(200, 110)).find("and that holds the rest"),
            std::string::npos);
  EXPECT_NE(call_sentence(results, on_its_chain(200, 106)).find("The exit does not hold"),
            std::string::npos);
  // Faster than predicted by more than a tenth.
  EXPECT_TRUE(call_sentence(results, on_its_chain(110, 50))
                  .ends_with("22.2% above. The call runs 24.4\x1f"
                             "cycles faster than predicted: "
                             "the core overlaps more of a call than its bound allows for."));
}

TEST(CallSentence, IsWithheldWhereTheCallWasDisturbedOrHasNoBound) {
  Results results = sample_results();
  results.study.calls[0].own_order_ns_per_call = {80, 160, 160, 80, 160};
  const Results disturbed = worked(results);
  EXPECT_EQ(call_sentence(disturbed, disturbed.worked_out.calls[0]),
            "gcd_euclid_u: withheld, its calls were timed while the machine was disturbed.");
  // A group its line stands on, disturbed, is as much a disturbed call.
  results.study.calls[0].own_order_ns_per_call = {80, 80, 80, 80, 80};
  results.study.calls[0].groups[0].ns_per_call = {34, 50, 50, 34, 50};
  const Results group_disturbed = worked(results);
  EXPECT_EQ(call_sentence(group_disturbed, group_disturbed.worked_out.calls[0]),
            "gcd_euclid_u: withheld, its calls were timed while the machine was disturbed.");
  CallBound none;
  none.kernel = "gcd_binary_s";
  EXPECT_EQ(call_sentence(results, none),
            "gcd_binary_s: no bound to predict its call by (no chain and no line).");
}

// euclid_two_u of sample_results(): 50 ns a pair (150 cycles) against gcd_euclid_u's 240 a
// call: 1.60; predicted (22 x 12 + 14.4) / 2 = 139.2 a pair against 248.7: 1.79.
TEST(TwoPairSentence, SetsTheGainBesideThePrediction) {
  const Results results = sample_results();
  ASSERT_EQ(results.worked_out.two_pairs.size(), 1U);
  EXPECT_EQ(two_pair_sentence(results.worked_out.two_pairs[0]),
            "Two pairs in flight: euclid_two_u, gcd_euclid_u's algorithm on two pairs at once "
            "in one loop, takes 150.0\x1f"
            "cycles a pair against 240.0 a call of gcd_euclid_u "
            "(each in a loop over a table of pairs, net of its own): 1.60 times as fast. The "
            "bounds above predict 1.79: a loop's pass takes the larger of the chain and two "
            "overlapped passes, 12.0\x1f"
            "cycles, over the larger of the two pairs' passes "
            "(22.0), with one mispredicted exit for both: 139.2\x1f"
            "cycles a pair. A kernel on "
            "its chain gains: the two chains run side by side. The gain measured is 10.4% "
            "below it: the peer's loop is not the kernel's, pass for pass.");
  TwoPairGain near = results.worked_out.two_pairs[0];
  near.gain = near.predicted_gain * 0.901;
  EXPECT_TRUE(
      two_pair_sentence(near).ends_with("The gain measured is within 10% of the prediction."));
  near.sits_on = PassBound::overlapped;
  near.gain = 0.95;
  EXPECT_NE(two_pair_sentence(near).find("0.95 times as fast, slower. "), std::string::npos);
  EXPECT_NE(two_pair_sentence(near).find("A kernel on the core's throughput gains little"),
            std::string::npos);
}

TEST(CallSection, SetsTheBoundsAndTheLinesInTables) {
  Results results = sample_results();
  std::string out;
  call_section(out, results);
  for (const char* part :
       {"What bounds a call? (calls of one kind, timed where they may overlap)\n",
        "  The programs' first 1050 pairs,",
        "  gcd_euclid_u     12.0        6.0      248.7    240.0         126.7\n",
        "  gcd_binary_u      4.0        5.0      119.4    120.0          14.2\n",
        "  gcd_euclid_u   -                2   1000     6.00    -5.0  0.0% (20 passes)\n",
        "  gcd_binary_u   u equals v       2    400     5.00     4.0  0.0% (22 passes)\n"}) {
    EXPECT_NE(out.find(part), std::string::npos) << "missing:\n" << part << "\nin:\n" << out;
  }
  // A line whose group departs by more than a tenth is named.
  results.study.calls[1].groups.push_back({24, CallExit::u_is_one, 800, {60, 60, 60, 60, 60}});
  out.clear();
  call_section(out, worked(results));
  EXPECT_NE(out.find("  The groups of gcd_binary_u that leave by u is 1 are not a line: the "
                     "group of"),
            std::string::npos)
      << out;
  // Calls timed while the machine was disturbed: neither the line nor the gain of two pairs
  // is explained.
  results.study.calls[1].own_order_ns_per_call = {40, 80, 80, 40, 80};
  results.study.calls[0].own_order_ns_per_call = {80, 160, 160, 80, 160};
  out.clear();
  call_section(out, worked(results));
  EXPECT_EQ(out.find("not a line"), std::string::npos) << out;
  EXPECT_NE(out.find("  Two pairs in flight, euclid_two_u against gcd_euclid_u: withheld, timed "
                     "while\n  the machine was disturbed.\n"),
            std::string::npos)
      << out;
}

}  // namespace
