// What bounds a call, as text: each verdict on made-up figures, every sentence whole.
#include "report/text/call_text.h"

#include <gtest/gtest.h>

#include "report/figures/call_bounds.h"
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

// Beyond a tenth: the exit in place beside a mispredicted branch, both measured apart from the
// prediction, and nothing said of how they would make up the rest.
TEST(CallSentence, SetsTheExitInPlaceBesideABranchWhereTheCallRunsSlower) {
  const Results results = sample_results();
  EXPECT_TRUE(call_sentence(results, on_its_chain(200, 151))
                  .ends_with("32.8% below. The exit in place costs 151.0\x1f"
                             "cycles a call, against 14.4 for a mispredicted branch on random "
                             "bytes."));
  for (const double exit : {80.0, 106.0, 110.0}) {
    EXPECT_EQ(call_sentence(results, on_its_chain(200, exit)).find("the rest"), std::string::npos);
  }
  // Faster than predicted by more than a tenth.
  EXPECT_TRUE(call_sentence(results, on_its_chain(110, 50))
                  .ends_with("22.2% above. The call runs 24.4\x1f"
                             "cycles faster than predicted: "
                             "the core overlaps more of a call than its bound allows for."));
}

// A figure at or below 0, or below what can be timed (1 ns, here 3 cycles), is said to be too
// small to time: no share of it, and no gain.
TEST(CallSentence, SaysAFigureTooSmallToTimeAsSuch) {
  const Results results = sample_results();
  for (const double measured : {-11.1, 0.0, 1e-9}) {
    CallBound bound = on_its_chain(measured, 75);
    bound.smallest_timed = 3;
    bound.departure.reset();  // as bound_the_call leaves it
    const std::string sentence = call_sentence(results, bound);
    EXPECT_NE(sentence.find("; the call measured is too small to time here ("), std::string::npos)
        << sentence;
    EXPECT_EQ(sentence.find('%'), std::string::npos) << sentence;
  }
  CallBound bound = on_its_chain(200, -6.5);
  bound.smallest_timed = 3;
  EXPECT_TRUE(call_sentence(results, bound)
                  .ends_with("The exit in place is too small to time here (-6.5\x1f"
                             "cycles)."));
  EXPECT_FALSE(bound_the_call("k", {}, 2.9, 12.0, 15, 3).departure);
  EXPECT_TRUE(bound_the_call("k", {}, 3.0, 12.0, 15, 3).departure);
  // A peer's pair too small to time: no gain, and said so.
  const CallBound chain = bound_the_call("gcd_euclid_u", {}, 240, 12.0, 14.4, 3);
  const TwoPairGain two = two_pair_gain("euclid_two_u", chain, 22, -18.5, 14.4);
  EXPECT_FALSE(two.timed);
  EXPECT_EQ(two.gain, 0);
  std::string out;
  Results with_gain = sample_results();
  with_gain.worked_out.two_pairs = {two};
  call_section(out, with_gain);
  EXPECT_NE(
      out.find("  Two pairs in flight, euclid_two_u against gcd_euclid_u: -18.5 cycles a pair\n"
               "  against 240.0 a call, one of them too small to time here: no gain to tell.\n"),
      std::string::npos)
      << out;
}

// A chain and no line that holds: the chain is the one bound, said as such, and the call is
// predicted from it.
TEST(CallSentence, SaysTheChainIsTheOneBoundWhereNoLineHolds) {
  Results results = sample_results();
  std::vector<GroupTiming>& groups = results.study.calls[0].groups;
  groups.erase(groups.begin() + 3, groups.end());  // 14, 16 and 18 passes: three groups
  const Results few = worked(results);
  const CallBound& bound = few.worked_out.calls[0];
  EXPECT_FALSE(bound.overlapped_pass);
  EXPECT_TRUE(call_sentence(few, bound)
                  .starts_with("gcd_euclid_u: its chain (12.0\x1f"
                               "cycles) is the one bound of a pass measured here: no line of its "
                               "groups holds to give its overlapped pass. Predicted "))
      << call_sentence(few, bound);
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
            "gcd_binary_s: no bound to predict its call by (no chain and no line that holds).");
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
        "  gcd_binary_u      4.0        5.0      119.4    120.0          14.0\n",
        "  gcd_euclid_u   -                5   1000     6.00    -5.0  0.0% (22 passes)\n",
        "  gcd_binary_u   u equals v       5    500     5.00     4.0  0.0% (25 passes)\n"}) {
    EXPECT_NE(out.find(part), std::string::npos) << "missing:\n" << part << "\nin:\n" << out;
  }
  EXPECT_EQ(out.find("its slope is not used"), std::string::npos) << out;
  // A line whose group departs by more than a tenth is named, and so is one of too few groups.
  results.study.calls[1].groups.resize(6);  // u equals v: one group
  results.study.calls[1].groups.push_back({27, CallExit::u_is_one, 100, {60, 60, 60, 60, 60}});
  results.study.calls[1].groups.push_back({19, CallExit::u_equals_v, 100, {35, 35, 35, 35, 35}});
  out.clear();
  call_section(out, worked(results));
  EXPECT_NE(out.find("  The groups of gcd_binary_u that leave by u is 1 are not a line: the "
                     "group of\n  27 passes departs from it by"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  The groups of gcd_binary_u that leave by u equals v make no line to "
                     "use: 2\n  groups of 100 pairs or more, fewer than 5; its slope is not "
                     "used.\n"),
            std::string::npos)
      << out;
  // Calls in the programs' order timed while the machine was disturbed: the call and the gain
  // of two pairs are not explained; the lines, which stand on the groups alone, still are.
  results.study.calls[1].own_order_ns_per_call = {40, 80, 80, 40, 80};
  results.study.calls[0].own_order_ns_per_call = {80, 160, 160, 80, 160};
  out.clear();
  call_section(out, worked(results));
  EXPECT_NE(out.find("u is 1 are not a line"), std::string::npos) << out;
  EXPECT_NE(out.find("  gcd_binary_u: withheld, its calls were timed while the machine was "
                     "disturbed.\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  Two pairs in flight, euclid_two_u against gcd_euclid_u: withheld, timed "
                     "while\n  the machine was disturbed.\n"),
            std::string::npos)
      << out;
  // A group of the line disturbed: the line is not explained either.
  results.study.calls[1].groups.back().ns_per_call = {35, 70, 70, 35, 70};
  results.study.calls[1].groups[6].ns_per_call = {60, 120, 120, 60, 120};
  out.clear();
  call_section(out, worked(results));
  EXPECT_EQ(out.find("u is 1 are not a line"), std::string::npos) << out;
}

}  // namespace
